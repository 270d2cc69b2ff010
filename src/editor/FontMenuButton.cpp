#include "editor/FontMenuButton.h"

#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QSet>

namespace {
constexpr qreal kLabelSize = 11.5;
constexpr qreal kChevronSize = 8;
constexpr qreal kSpacing = 3;
constexpr qreal kItemSize = 14;
}

FontMenuButton::FontMenuButton(QWidget* parent)
    : QAbstractButton(parent)
    , m_label(labelFor(std::nullopt))
    , m_menu(new QMenu(this))
    , m_families([] { return QFontDatabase::families(); })
{
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    connect(m_menu, &QMenu::aboutToShow, this, &FontMenuButton::fillMenu);
    connect(this, &QAbstractButton::pressed, this, [this] { m_menu->popup(mapToGlobal(QPoint(0, height() + 2))); });
}

QString FontMenuButton::labelFor(const std::optional<QString>& family)
{
    const QStringList words = family ? family->split(QLatin1Char(' '), Qt::SkipEmptyParts) : QStringList();
    return words.isEmpty() ? QStringLiteral("Aa") : words.constFirst();
}

void FontMenuButton::setFontName(const std::optional<QString>& family)
{
    m_label = labelFor(family);
    setToolTip(family.value_or(QString()));
    update();
}

void FontMenuButton::setFamilies(Families families)
{
    m_families = std::move(families);
}

void FontMenuButton::fillMenu()
{
    // Listed afresh each time: fonts may be installed while the editor is open.
    m_menu->clear();
    QAction* system = m_menu->addAction(tr("System"));
    connect(system, &QAction::triggered, this, [this] { Q_EMIT fontChosen(std::nullopt); });
    m_menu->addSeparator();
    QSet<QString> listed;
    for (const QString& family : m_families()) {
        // Nameless and repeated families could not be told apart in the menu.
        if (family.trimmed().isEmpty() || listed.contains(family))
            continue;
        listed.insert(family);
        QFont font(family);
        // Sized in logical pixels: a point size would follow the screen's font resolution.
        font.setPixelSize(int(kItemSize));
        const QString shown = QFontMetricsF(font).elidedText(family, Qt::ElideRight, kMaxItemWidth);
        // An ampersand in a name is text, not a keyboard accelerator.
        QAction* item = m_menu->addAction(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setFont(font);
        item->setData(family);
        connect(item, &QAction::triggered, this, [this, family] { Q_EMIT fontChosen(family); });
    }
}

void FontMenuButton::paintEvent(QPaintEvent*)
{
    const QColor primary = Theme::primaryText(Theme::colorScheme(this));
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = primary;
    fill.setAlphaF(isDown() || m_menu->isVisible() ? 0.12f : 0.06f);
    p.fillPath(continuousRoundedRect(QRectF(rect()), 6), fill);

    const QFont font = Theme::font(kLabelSize, QFont::Medium);
    const QFontMetricsF metrics(font);
    const qreal chevron = Symbols::extent(kChevronSize);
    const qreal room = width() - 4 - kSpacing - chevron;
    const QString text = metrics.elidedText(m_label, Qt::ElideRight, room);
    const qreal textWidth = std::min(metrics.horizontalAdvance(text), room);
    const qreal left = (width() - textWidth - kSpacing - chevron) / 2;
    p.setFont(font);
    p.setPen(primary);
    p.drawText(QRectF(left, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    Symbols::paint(p, u"chevron.up.chevron.down", QPointF(left + textWidth + kSpacing + chevron / 2, height() / 2.0),
        kChevronSize, primary);
}
