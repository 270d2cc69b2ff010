#include "onboarding/CenteredText.h"

#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

CenteredText::CenteredText(
    const QString& text, const QFont& font, Style style, qreal lineSpacing, qreal maxWidth, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
    , m_font(font)
    , m_style(style)
    , m_lineSpacing(lineSpacing)
    , m_maxWidth(maxWidth)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(text);
}

QList<CenteredText::Line> CenteredText::layoutLines(qreal width) const
{
    const qreal wrap = std::max<qreal>(1, std::min(width, m_maxWidth));
    QList<Line> out;
    for (const QString& paragraph : m_text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, m_font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        while (true) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(wrap);
            out.append({ paragraph.mid(line.textStart(), line.textLength()).trimmed(), line.naturalTextWidth() });
        }
        layout.endLayout();
        if (paragraph.isEmpty())
            out.append({ QString(), 0 });
    }
    return out;
}

QStringList CenteredText::lines(qreal width) const
{
    QStringList texts;
    for (const Line& line : layoutLines(width))
        texts.append(line.text);
    return texts;
}

int CenteredText::heightForWidth(int width) const
{
    const qsizetype count = layoutLines(width).size();
    const QFontMetricsF metrics(m_font);
    return int(std::ceil(count * metrics.height() + std::max<qsizetype>(0, count - 1) * m_lineSpacing));
}

QSize CenteredText::sizeHint() const
{
    qreal widest = 0;
    for (const Line& line : layoutLines(m_maxWidth))
        widest = std::max(widest, line.width);
    const int width = int(std::ceil(widest)) + 1;
    return { width, heightForWidth(width) };
}

QSize CenteredText::minimumSizeHint() const
{
    return { 0, heightForWidth(width() > 0 ? width() : sizeHint().width()) };
}

void CenteredText::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const ColorScheme scheme = Theme::colorScheme(this);
    p.setPen(m_style == Style::primary ? Theme::primaryText(scheme) : Theme::secondaryText(scheme));
    p.setFont(m_font);
    const QFontMetricsF metrics(m_font);
    qreal y = 0;
    for (const Line& line : layoutLines(width())) {
        p.drawText(QPointF((width() - line.width) / 2, y + metrics.ascent()), line.text);
        y += metrics.height() + m_lineSpacing;
    }
}
