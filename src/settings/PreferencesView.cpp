#include "settings/PreferencesView.h"

#include "settings/AccountTab.h"
#include "settings/GeneralTab.h"
#include "settings/SharingTab.h"
#include "settings/ShortcutsTab.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// One tab of the strip: its symbol over its title, lit while it is the current tab.
class TabButton final : public QAbstractButton {
public:
    TabButton(const QString& title, const char16_t* symbol, QWidget* parent)
        : QAbstractButton(parent)
        , m_symbol(symbol)
    {
        setText(title);
        setCheckable(true);
        setAutoExclusive(true);
        setFixedSize(78, 52);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const ColorScheme scheme = Theme::colorScheme(this);
        if (isChecked()) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 8, 8);
            p.fillPath(shape, scheme == ColorScheme::dark ? Theme::rgb(255, 255, 255, 0.10) : Theme::rgb(0, 0, 0, 0.06));
        }
        const QColor color = isChecked() ? Theme::accentFor(scheme) : Theme::secondaryText(scheme);
        Symbols::paint(p, m_symbol, QPointF(width() / 2.0, 19.0), 17.0, color);
        p.setFont(Theme::font(11, QFont::Medium));
        p.setPen(isChecked() ? Theme::primaryText(scheme) : Theme::secondaryText(scheme));
        p.drawText(QRectF(0, 31, width(), 16), Qt::AlignCenter, text());
    }

private:
    QStringView m_symbol;
};

}

PreferencesView::PreferencesView(Services services, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("preferences"));
    setFixedSize(fixedWidth, fixedHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 6, 0, 0);
    column->setSpacing(4);

    auto* strip = new QHBoxLayout;
    strip->setSpacing(2);
    strip->addStretch();
    const std::pair<QString, const char16_t*> tabs[] = {
        { tr("General"), u"gearshape.fill" },
        { tr("Shortcuts"), u"keyboard" },
        { tr("Sharing"), u"square.and.arrow.up" },
        { tr("Account"), u"person.crop.circle" },
    };
    for (const auto& [title, symbol] : tabs) {
        auto* button = new TabButton(title, symbol, this);
        m_tabButtons.append(button);
        strip->addWidget(button);
    }
    strip->addStretch();
    column->addLayout(strip);

    m_stack = new QStackedWidget(this);
    // Like a grouped form, a tab scrolls when what it has to say outgrows the fixed window.
    const auto scrolling = [](QWidget* tab) {
        auto* area = new QScrollArea;
        area->setFrameShape(QFrame::NoFrame);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setWidgetResizable(true);
        area->setAutoFillBackground(false);
        area->viewport()->setAutoFillBackground(false);
        area->setWidget(tab);
        tab->setAutoFillBackground(false); // setWidget turns it on; the window paints the scheme's background
        return area;
    };
    m_tabs = { new GeneralTab(services.prefs, services.settings),
        new ShortcutsTab(services.shortcuts, services.hotkeys, services.desktopKeys, services.hotkeysUnavailable),
        new SharingTab(services.prefs), new AccountTab };
    for (QWidget* tab : std::as_const(m_tabs))
        m_stack->addWidget(scrolling(tab));
    column->addWidget(m_stack, 1);

    for (int i = 0; i < m_tabButtons.size(); ++i)
        connect(m_tabButtons[i], &QAbstractButton::clicked, this, [this, i] { setCurrentTab(i); });
    setCurrentTab(general);
    Theme::followColorScheme(this);
}

int PreferencesView::currentTab() const
{
    return m_stack->currentIndex();
}

void PreferencesView::setCurrentTab(int tab)
{
    if (tab < 0 || tab >= m_stack->count())
        return;
    m_stack->setCurrentIndex(tab);
    m_tabButtons[tab]->setChecked(true);
}

QWidget* PreferencesView::tab(int tab) const
{
    return m_tabs.value(tab);
}

void PreferencesView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
    p.fillRect(rect(), dark ? Theme::rgb(36, 36, 40) : Theme::rgb(242, 242, 246));
}
