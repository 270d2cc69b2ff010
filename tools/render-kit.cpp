// Renders the shared interface kit to PNG files for a visual check: every control under both
// colour schemes (slider at both ends, button pressed and at rest), the notch card outline and a
// toast.  Usage: render-kit [output-folder]   (default: ./kit-renders)
#include "ui/GlassPanel.h"
#include "ui/LumaSegmented.h"
#include "ui/LumaSlider.h"
#include "ui/NotchShape.h"
#include "ui/PressableButtonStyle.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"
#include "ui/Toast.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {
void spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool save(const QPixmap& pixmap, const QString& path)
{
    const bool ok = pixmap.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// A symbol button that paints only its symbol, so the press effect is all that changes.
class SymbolButton final : public QToolButton {
public:
    explicit SymbolButton(QString symbol, QWidget* parent = nullptr)
        : QToolButton(parent)
        , m_symbol(std::move(symbol))
    {
        setFixedSize(56, 56);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath circle;
        circle.addEllipse(QRectF(rect()).adjusted(2, 2, -2, -2));
        p.fillPath(circle, notchCardShade());
        Symbols::paint(p, m_symbol, QRectF(rect()).center(), 18, Qt::white, QFont::DemiBold);
    }

private:
    QString m_symbol;
};

QWidget* sheet(ColorScheme scheme, SymbolButton** pressMe)
{
    auto* root = new QWidget;
    Theme::setColorScheme(root, scheme);
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, scheme == ColorScheme::dark ? QColor(30, 31, 36) : QColor(236, 237, 242));
    root->setPalette(palette);
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(40, 30, 40, 40);
    column->setSpacing(18);

    const auto addSlider = [&](const QString& title, double value) {
        auto* slider = new LumaSlider(title);
        slider->setRange(0, 100);
        slider->setValue(value);
        column->addWidget(slider);
    };
    addSlider(QStringLiteral("Padding"), 0);
    addSlider(QStringLiteral("Corner radius"), 37.5);
    addSlider(QStringLiteral("Shadow"), 100);

    auto* segmented = new LumaSegmented;
    segmented->setOptions(QList<std::pair<QString, QString>> {
        { QStringLiteral("none"), QStringLiteral("None") },
        { QStringLiteral("light"), QStringLiteral("Light") },
        { QStringLiteral("dark"), QStringLiteral("Dark") } });
    segmented->setSelection(QStringLiteral("light"));
    column->addWidget(segmented);

    auto* panel = new GlassPanel(16);
    auto* inside = new QVBoxLayout(panel);
    inside->setContentsMargins(16, 12, 16, 12);
    auto* label = new QLabel(QStringLiteral("Glass panel"));
    label->setFont(Theme::font(13, QFont::DemiBold));
    QPalette lp = label->palette();
    lp.setColor(QPalette::WindowText, Theme::primaryText(scheme));
    label->setPalette(lp);
    inside->addWidget(label);
    panel->setFixedHeight(64);
    column->addSpacing(8);
    column->addWidget(panel);
    column->addSpacing(24);

    auto* buttons = new QHBoxLayout;
    auto* rest = new SymbolButton(QStringLiteral("wand.and.stars"));
    auto* pressed = new SymbolButton(QStringLiteral("square.and.arrow.up"));
    PressableButtonStyle::apply(rest);
    PressableButtonStyle::apply(pressed);
    buttons->addWidget(rest);
    buttons->addWidget(pressed);
    buttons->addStretch();
    column->addLayout(buttons);
    *pressMe = pressed;
    root->resize(420, 470);
    return root;
}

QPixmap notchCard()
{
    QPixmap pm(700, 260);
    pm.fill(QColor(120, 130, 150));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const NotchShape shape;
    const QPainterPath card = shape.path(QRectF(40, 0, 620, 200));
    p.fillPath(card, notchCardShade());
    p.fillPath(card, notchCardRim());
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawPath(card);
    return pm;
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("kit-renders");
    QDir().mkpath(out);
    bool ok = true;

    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        SymbolButton* pressMe = nullptr;
        QWidget* root = sheet(scheme, &pressMe);
        root->show();
        Q_EMIT pressMe->pressed();
        spin(600);
        const QString name = scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
        ok &= save(root->grab(), out + QStringLiteral("/controls-%1.png").arg(name));
        delete root;
    }
    ok &= save(notchCard(), out + QStringLiteral("/notch-card.png"));

    showToast(QStringLiteral("Copied to clipboard"));
    spin(300);
    if (QWidget* toast = toastPanel())
        ok &= save(toast->grab(), out + QStringLiteral("/toast.png"));
    showToast(QStringLiteral("Screenshot copied — press Ctrl+V to paste in LinkedIn"));
    spin(300);
    if (QWidget* toast = toastPanel())
        ok &= save(toast->grab(), out + QStringLiteral("/toast-long.png"));
    return ok ? 0 : 1;
}
