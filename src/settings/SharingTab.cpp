#include "settings/SharingTab.h"

#include "model/Preferences.h"
#include "settings/SettingsSection.h"
#include "settings/SwitchToggle.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace {

// The platform's logo filling a 26-point circle with a hairline inside its edge; an empty circle
// with its hairline when the logo is missing.
class LogoCircle final : public QWidget {
public:
    LogoCircle(SocialPlatform platform, QWidget* parent)
        : QWidget(parent)
        , m_logo(QStringLiteral(":/logos/%1.svg").arg(logoName(platform)))
    {
        setFixedSize(26, 26);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        QPainterPath circle;
        circle.addEllipse(QRectF(rect()));
        p.save();
        p.setClipPath(circle);
        if (m_logo.isValid()) {
            // Scaled to fill: the shorter side fits, the rest is cut by the circle.
            const QSizeF fill = QSizeF(m_logo.defaultSize()).scaled(QSizeF(QWidget::size()), Qt::KeepAspectRatioByExpanding);
            m_logo.render(&p, QRectF(QPointF((width() - fill.width()) / 2.0, (height() - fill.height()) / 2.0), fill));
        }
        p.restore();
        p.setPen(QPen(QColor(0, 0, 0, int(0.12 * 255)), 0.5));
        p.drawEllipse(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25));
    }

private:
    QSvgRenderer m_logo;
};

}

// The rows, reordered by dragging one with the pointer.
class SharingList final : public QWidget {
public:
    SharingList(Preferences& prefs, QWidget* parent)
        : QWidget(parent)
        , m_prefs(prefs)
    {
        m_column = new QVBoxLayout(this);
        m_column->setContentsMargins(0, 0, 0, 0);
        m_column->setSpacing(8);
        rebuild();
        connect(&m_prefs, &Preferences::socialOrderChanged, this, [this] { rebuild(); });
        connect(&m_prefs, &Preferences::enabledSocialChanged, this, [this] { refreshSwitches(); });
    }

    QList<SocialPlatform> order() const { return m_order; }
    QWidget* row(SocialPlatform platform) const { return m_rows.value(m_order.indexOf(platform)); }
    SwitchToggle* rowSwitch(SocialPlatform platform) const { return m_switches.value(m_order.indexOf(platform)); }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_source = event->button() == Qt::LeftButton ? rowAt(event->position().y()) : -1;
        m_pressY = event->position().y();
        m_dragging = false;
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (m_source < 0)
            return;
        const qreal dy = event->position().y() - m_pressY;
        if (!m_dragging && std::abs(dy) < QApplication::startDragDistance())
            return;
        m_dragging = true;
        // The row follows the pointer over the others until it is let go.
        QWidget* dragged = m_rows[m_source];
        dragged->raise();
        dragged->move(dragged->x(), int(m_rowTop[m_source] + dy));
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const int source = std::exchange(m_source, -1);
        if (source < 0 || !m_dragging)
            return;
        m_dragging = false;
        const qreal dropCentre = m_rowTop[source] + m_rows[source]->height() / 2.0 + (event->position().y() - m_pressY);
        int above = 0; // other rows whose middle the dragged row's middle passed
        for (int i = 0; i < m_rows.size(); ++i) {
            if (i != source && m_rowTop[i] + m_rows[i]->height() / 2.0 < dropCentre)
                ++above;
        }
        const int destination = above <= source ? above : above + 1;
        const QList<SocialPlatform> next = SharingTab::moved(m_prefs.socialOrder(), source, destination);
        if (next == m_prefs.socialOrder())
            m_column->invalidate(); // put the row back
        else
            m_prefs.setSocialOrder(next);
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        rememberRowTops();
    }

private:
    int rowAt(qreal y) const
    {
        for (int i = 0; i < m_rows.size(); ++i) {
            if (y >= m_rows[i]->geometry().top() - 4 && y <= m_rows[i]->geometry().bottom() + 4)
                return i;
        }
        return -1;
    }

    void rememberRowTops()
    {
        m_column->activate();
        m_rowTop.clear();
        for (QWidget* row : m_rows)
            m_rowTop.append(row->y());
    }

    void rebuild()
    {
        // Later: the press that reordered them may still be on its way through an old row.
        for (QWidget* old : std::as_const(m_rows)) {
            m_column->removeWidget(old);
            old->hide();
            old->deleteLater();
        }
        m_rows.clear();
        m_switches.clear();
        m_order = m_prefs.socialOrder();
        for (SocialPlatform platform : m_order) {
            auto* row = new QWidget(this);
            row->setObjectName(QStringLiteral("sharing-") + rawValue(platform));
            row->setCursor(Qt::OpenHandCursor);
            auto* line = new QHBoxLayout(row);
            line->setContentsMargins(0, 2, 0, 2);
            line->setSpacing(10);
            line->addWidget(new LogoCircle(platform, row));
            line->addWidget(schemeLabel(title(platform), TextRole::primary, Theme::font(13), row));
            line->addStretch();
            auto* toggle = new SwitchToggle(row);
            toggle->setCursor(Qt::PointingHandCursor);
            connect(toggle, &QAbstractButton::clicked, this, [this, platform](bool on) {
                std::set<SocialPlatform> enabled = m_prefs.enabledSocial();
                if (on)
                    enabled.insert(platform);
                else
                    enabled.erase(platform);
                m_prefs.setEnabledSocial(enabled);
            });
            line->addWidget(toggle);
            m_column->addWidget(row);
            m_rows.append(row);
            m_switches.append(toggle);
        }
        refreshSwitches();
        rememberRowTops();
    }

    void refreshSwitches()
    {
        const std::set<SocialPlatform> enabled = m_prefs.enabledSocial();
        for (int i = 0; i < m_order.size(); ++i)
            m_switches[i]->setChecked(enabled.count(m_order[i]) > 0);
    }

    Preferences& m_prefs;
    QVBoxLayout* m_column;
    QList<SocialPlatform> m_order;
    QList<QWidget*> m_rows;
    QList<SwitchToggle*> m_switches;
    QList<int> m_rowTop; // where each row sits when nothing is dragged
    int m_source = -1;
    qreal m_pressY = 0;
    bool m_dragging = false;
};

QList<SocialPlatform> SharingTab::moved(QList<SocialPlatform> order, int source, int destination)
{
    if (source < 0 || source >= order.size() || destination < 0 || destination > order.size())
        return order;
    const SocialPlatform platform = order.takeAt(source);
    order.insert(destination > source ? destination - 1 : destination, platform);
    return order;
}

SharingTab::SharingTab(Preferences& prefs, QWidget* parent)
    : QWidget(parent)
    , m_prefs(prefs)
{
    setObjectName(QStringLiteral("sharingTab"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 8, 20, 12);
    auto* section = new SettingsSection(tr("Quick-share circles"),
        tr("Choose which circles appear under the notch, and drag to reorder. Tapping one copies the screenshot and opens "
           "that composer."),
        this);
    m_list = new SharingList(prefs, nullptr);
    section->addRow(m_list);
    column->addWidget(section);
    column->addStretch();
}

QList<SocialPlatform> SharingTab::rowOrder() const
{
    return m_list->order();
}

QWidget* SharingTab::row(SocialPlatform platform) const
{
    return m_list->row(platform);
}

QAbstractButton* SharingTab::rowSwitch(SocialPlatform platform) const
{
    return m_list->rowSwitch(platform);
}
