#include "ui/Theme.h"

#include <QFontDatabase>
#include <QVariant>
#include <QWidget>

namespace {
constexpr char kSchemeProperty[] = "lumaforgeColorScheme";

QLinearGradient diagonalGradient(std::initializer_list<QColor> colors)
{
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    const int n = int(colors.size());
    int i = 0;
    for (const QColor& color : colors)
        gradient.setColorAt(n == 1 ? 0.0 : double(i++) / (n - 1), color);
    return gradient;
}
}

namespace Theme {

QColor rgb(int r, int g, int b, qreal opacity)
{
    QColor color(r, g, b);
    color.setAlphaF(float(opacity));
    return color;
}

const QColor& accent()
{
    static const QColor color = rgb(176, 48, 240);
    return color;
}

const QColor& accentOnDark()
{
    static const QColor color = rgb(196, 77, 255);
    return color;
}

const QColor& accentFor(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? accentOnDark() : accent();
}

const QColor& warningOnDark()
{
    static const QColor color = rgb(255, 184, 64);
    return color;
}

const QColor& warningFor(ColorScheme scheme)
{
    static const QColor onLight = rgb(190, 110, 0);
    return scheme == ColorScheme::dark ? warningOnDark() : onLight;
}

const QLinearGradient& brandGradient()
{
    static const QLinearGradient gradient = diagonalGradient(
        { rgb(240, 48, 176), rgb(192, 48, 224), rgb(160, 48, 240), rgb(128, 32, 240), rgb(16, 128, 240) });
    return gradient;
}

const QLinearGradient& accentGradient()
{
    static const QLinearGradient gradient = diagonalGradient({ rgb(192, 48, 224), rgb(128, 32, 240) });
    return gradient;
}

QColor secondaryText(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? rgb(174, 180, 194) : rgb(91, 97, 112);
}

QColor primaryText(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? rgb(245, 247, 251) : rgb(29, 35, 48);
}

QColor materialFill(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? rgb(36, 36, 40, 0.82) : rgb(246, 246, 249, 0.86);
}

namespace {
QFont sized(QFontDatabase::SystemFont which, qreal size, QFont::Weight weight)
{
    QFont f = QFontDatabase::systemFont(which);
    f.setPointSizeF(size * 72.0 / 96.0);
    f.setWeight(weight);
    return f;
}
}

QFont font(qreal size, QFont::Weight weight)
{
    return sized(QFontDatabase::GeneralFont, size, weight);
}

QFont monoFont(qreal size, QFont::Weight weight)
{
    return sized(QFontDatabase::FixedFont, size, weight);
}

ColorScheme colorScheme(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant forced = w->property(kSchemeProperty);
        if (forced.isValid())
            return forced.toInt() == int(ColorScheme::dark) ? ColorScheme::dark : ColorScheme::light;
    }
    return ColorSchemeProvider::shared().current();
}

void setColorScheme(QWidget* widget, std::optional<ColorScheme> scheme)
{
    widget->setProperty(kSchemeProperty, scheme ? QVariant(int(*scheme)) : QVariant());
    widget->update();
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->update();
}

void followColorScheme(QWidget* widget)
{
    QObject::connect(&ColorSchemeProvider::shared(), &ColorSchemeProvider::changed, widget,
        [widget] { widget->update(); });
}

}
