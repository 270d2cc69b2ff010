#include "settings/SettingsSection.h"

#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

class Group final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        p.fillPath(shape, dark ? Theme::rgb(255, 255, 255, 0.05) : Theme::rgb(255, 255, 255));
        p.setPen(QPen(dark ? Theme::rgb(255, 255, 255, 0.08) : Theme::rgb(0, 0, 0, 0.08), 1));
        p.drawPath(shape);
        // Hairlines between rows.
        const auto* rows = layout();
        for (int i = 1; i < rows->count(); ++i) {
            const QWidget* row = rows->itemAt(i)->widget();
            if (!row || row->isHidden())
                continue;
            const qreal y = row->geometry().top() - rows->spacing() / 2.0;
            p.drawLine(QPointF(12, y), QPointF(width() - 12, y));
        }
    }
};

}

namespace {
// Drawn in the scheme it is shown in, whenever that is decided.
class SchemeLabel final : public QLabel {
public:
    SchemeLabel(const QString& text, TextRole role, QWidget* parent)
        : QLabel(text, parent)
        , m_role(role)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setFont(font());
        const ColorScheme scheme = Theme::colorScheme(this);
        QColor color = m_role == TextRole::primary ? Theme::primaryText(scheme) : Theme::secondaryText(scheme);
        if (m_role == TextRole::tertiary)
            color.setAlphaF(color.alphaF() * 0.6);
        p.setPen(color);
        p.drawText(contentsRect(), int(alignment()) | (wordWrap() ? int(Qt::TextWordWrap) : 0), text());
    }

private:
    TextRole m_role;
};
}

QLabel* schemeLabel(const QString& text, TextRole role, const QFont& font, QWidget* parent)
{
    auto* label = new SchemeLabel(text, role, parent);
    label->setFont(font);
    Theme::followColorScheme(label);
    return label;
}

QLabel* secondaryLabel(const QString& text, QWidget* parent)
{
    QLabel* label = schemeLabel(text, TextRole::secondary, Theme::font(11), parent);
    label->setWordWrap(true);
    return label;
}

SettingsSection::SettingsSection(const QString& header, const QString& footer, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    if (!header.isEmpty()) {
        QLabel* title = schemeLabel(header, TextRole::primary, Theme::font(12, QFont::DemiBold), this);
        title->setContentsMargins(4, 0, 0, 0);
        column->addWidget(title);
    }
    m_group = new Group(this);
    m_rows = new QVBoxLayout(m_group);
    m_rows->setContentsMargins(12, 4, 12, 4);
    m_rows->setSpacing(6);
    column->addWidget(m_group);
    if (!footer.isEmpty()) {
        m_footer = secondaryLabel(footer, this);
        m_footer->setContentsMargins(4, 0, 4, 0);
        column->addWidget(m_footer);
    }
}

QWidget* SettingsSection::addRow(QWidget* row)
{
    row->setParent(m_group);
    m_rows->addWidget(row);
    return row;
}

QWidget* SettingsSection::addRow(const QString& title, QWidget* trailing)
{
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 1, 0, 1);
    line->addWidget(schemeLabel(title, TextRole::primary, Theme::font(13), row));
    line->addStretch();
    line->addWidget(trailing);
    return addRow(row);
}
