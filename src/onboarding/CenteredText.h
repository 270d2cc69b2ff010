#pragma once

#include "platform/ColorScheme.h"

#include <QFont>
#include <QWidget>

// A block of text centred line by line, wrapped to at most `maxWidth` points (the widget itself
// may be wider), with extra space between lines. Hard line breaks in the text start new lines.
// Its colour follows the colour scheme.
class CenteredText : public QWidget {
    Q_OBJECT
public:
    enum class Style { primary, secondary };

    CenteredText(const QString& text, const QFont& font, Style style, qreal lineSpacing = 0,
        qreal maxWidth = QWIDGETSIZE_MAX, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    QFont textFont() const { return m_font; }
    // The lines as laid out for `width`.
    QStringList lines(qreal width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Line {
        QString text;
        qreal width;
    };
    QList<Line> layoutLines(qreal width) const;

    QString m_text;
    QFont m_font;
    Style m_style;
    qreal m_lineSpacing;
    qreal m_maxWidth;
};
