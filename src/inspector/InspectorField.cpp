#include "inspector/InspectorField.h"

#include "inspector/InspectorPalette.h"
#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QSignalBlocker>

#include <cmath>

InspectorField::InspectorField(const QString& placeholder, QWidget* parent)
    : QLineEdit(parent)
{
    setPlaceholderText(placeholder);
    setFrame(false);
    setFont(Theme::font(12));
    setTextMargins(8, 6, 8, 6);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Theme::followColorScheme(this);
    applyColors();
}

void InspectorField::syncText(const QString& text)
{
    if (text == this->text())
        return;
    const QSignalBlocker blocker(this);
    setText(text);
}

QSize InspectorField::sizeHint() const
{
    return QSize(160, int(std::ceil(QFontMetricsF(font()).height() + 12 + 2)));
}

void InspectorField::applyColors()
{
    const ColorScheme scheme = Theme::colorScheme(this);
    QPalette pal = palette();
    const QColor text = Theme::primaryText(scheme);
    QColor placeholder = Theme::secondaryText(scheme);
    placeholder.setAlphaF(0.8f);
    if (pal.color(QPalette::Text) == text && pal.color(QPalette::PlaceholderText) == placeholder
        && pal.color(QPalette::Base) == Qt::transparent)
        return;
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::PlaceholderText, placeholder);
    pal.setColor(QPalette::Base, Qt::transparent);
    pal.setColor(QPalette::Window, Qt::transparent);
    pal.setColor(QPalette::Highlight, Theme::accentFor(scheme));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(pal);
}

void InspectorField::paintEvent(QPaintEvent* event)
{
    applyColors();
    {
        const ColorScheme scheme = Theme::colorScheme(this);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box = rect();
        p.fillPath(continuousRoundedRect(box, 7), InspectorPalette::fieldFill(scheme));
        p.setPen(QPen(InspectorPalette::fieldBorder(scheme), 1));
        p.drawPath(continuousRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 6.5));
    }
    QLineEdit::paintEvent(event);
}
