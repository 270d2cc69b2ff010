// The tray icon in a real system-tray host (trayer, an XEmbed tray) on the private X server:
// the icon is embedded, a click opens the popover next to it, and the popup closes when it
// should, without ever holding the keyboard or the pointer. No window manager runs, so focus
// moves only where a test moves it.
#include "app/TrayIcon.h"
#include "capture/CapturePopoverView.h"
#include "support/CaptureParts.h"
#include "support/LogCapture.h"
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// Runs trayer at one screen edge for the life of the object.
class TrayHost {
public:
    explicit TrayHost(const char* edge)
    {
        m_process.setProgram(QStringLiteral("trayer"));
        m_process.setArguments({ QStringLiteral("--edge"), QString::fromLatin1(edge), QStringLiteral("--align"),
            QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"), QStringLiteral("--height"),
            QStringLiteral("24"), QStringLiteral("--SetDockType"), QStringLiteral("false") });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~TrayHost()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
        // Let Qt see the tray go, so the next host is a new one.
        waitUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 2000);
    }
    bool running() { return m_process.waitForStarted(5000); }

private:
    QProcess m_process;
};

// The window tree as xwininfo prints it: one window a line, children indented under parents.
struct TreeLine {
    int indent;
    QString text;
};

QList<TreeLine> windowTree()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-tree") });
    xwininfo.waitForFinished(5000);
    QList<TreeLine> lines;
    for (const QByteArray& raw : xwininfo.readAllStandardOutput().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QStringLiteral("0x")))
            lines.append({ int(line.indexOf(trimmed)), trimmed });
    }
    return lines;
}

// Whether the X window `id` sits inside a window of the tray host.
bool embeddedInTrayer(WId id)
{
    const QString needle = QStringLiteral("0x%1 ").arg(id, 0, 16);
    const QList<TreeLine> tree = windowTree();
    for (qsizetype i = 0; i < tree.size(); ++i) {
        if (!tree[i].text.startsWith(needle))
            continue;
        int indent = tree[i].indent;
        for (qsizetype j = i - 1; j >= 0; --j) {
            if (tree[j].indent < indent) {
                if (tree[j].text.contains(QStringLiteral("\"trayer\"")))
                    return true;
                indent = tree[j].indent;
            }
        }
    }
    return false;
}

QString windowInfo(WId id)
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), { QStringLiteral("-id"), QString::number(id) });
    xwininfo.waitForFinished(5000);
    return QString::fromUtf8(xwininfo.readAllStandardOutput());
}

bool isViewable(WId id)
{
    return windowInfo(id).contains(QStringLiteral("Map State: IsViewable"));
}

// Where the X server shows the window on screen.
QPoint absolutePosition(WId id)
{
    const QString info = windowInfo(id);
    const auto field = [&](const QString& name) {
        const qsizetype at = info.indexOf(name);
        return at < 0 ? -1 : info.mid(at + name.size()).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    };
    return { field(QStringLiteral("Absolute upper-left X:")), field(QStringLiteral("Absolute upper-left Y:")) };
}

// The window Qt shows the tray icon in.
QWidget* trayIconWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return widget;
    }
    return nullptr;
}

// Whether another client could take the keyboard and the pointer now, as the desktop's
// screenshot tool does: false while some window holds a grab.
bool keyboardAndPointerFree()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* keyboard = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    auto* pointer = xcb_grab_pointer_reply(c,
        xcb_grab_pointer(c, 0, root, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
            XCB_NONE, XCB_CURRENT_TIME),
        nullptr);
    const bool free = keyboard && keyboard->status == XCB_GRAB_STATUS_SUCCESS && pointer
        && pointer->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(keyboard);
    std::free(pointer);
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_disconnect(c);
    return free;
}

// The window that has the X server's keyboard focus.
WId xFocus()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    auto* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const WId focus = reply ? reply->focus : 0;
    std::free(reply);
    xcb_disconnect(c);
    return focus;
}

bool clickAt(QPoint p)
{
    return X11Probe::xdotool({ QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()) })
        && X11Probe::xdotool({ QStringLiteral("click"), QStringLiteral("1") });
}

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest()
        : tool(QStringLiteral("no tool in this test"))
    {
    }

    std::unique_ptr<TrayIcon> makeTray()
    {
        return std::make_unique<TrayIcon>(new CapturePopoverView(parts.manager, parts.shortcuts, tool, {}));
    }

    // The icon embedded in the host and mapped there, and where it shows on screen (once the
    // tray icon knows where the host put it).
    QRect embeddedIcon(TrayIcon& tray)
    {
        QRect geometry;
        const bool embedded = waitUntil([&] {
            QWidget* window = trayIconWindow();
            if (!window || !embeddedInTrayer(window->winId()) || !isViewable(window->winId()))
                return false;
            geometry = tray.systemTrayIcon().geometry();
            return geometry.topLeft() == absolutePosition(window->winId());
        });
        EXPECT_TRUE(embedded);
        return geometry;
    }

    // A tray host at `edge` of the screen with our icon embedded in it.
    bool trayInHost(const char* edge)
    {
        host = std::make_unique<TrayHost>(edge);
        if (!host->running() || !waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }))
            return false;
        tray = makeTray();
        icon = embeddedIcon(*tray);
        return !icon.isEmpty();
    }

    CaptureParts parts;
    NullScreenshotTool tool;
    std::unique_ptr<TrayHost> host;
    std::unique_ptr<TrayIcon> tray; // goes before its host
    QRect icon;
};

TEST_F(TrayIconTest, ClickOnTheEmbeddedIconOpensThePopoverBelowIt)
{
    ASSERT_TRUE(trayInHost("top"));
    QWidget* popup = tray->popupWindow();

    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(waitUntil([&] { return popup->isVisible() && isViewable(popup->winId()) && xFocus() == popup->winId(); }));
    const QWidget* popover = popup->findChild<CapturePopoverView*>();
    const QRect content(popover->mapToGlobal(QPoint(0, 0)), popover->size());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(content.width(), CapturePopoverView::fixedWidth);
    EXPECT_GT(content.top(), icon.bottom());
    EXPECT_LE(content.top(), icon.bottom() + 1 + 24 + TrayIcon::gap);
    EXPECT_TRUE(screen.contains(content));

    // The desktop's screenshot keys and its tool's pointer must still work while it is open.
    EXPECT_TRUE(keyboardAndPointerFree());

    // A click inside changes nothing; a second click on the icon closes it, for good.
    ASSERT_TRUE(clickAt(popover->mapToGlobal(QPoint(30, 12))));
    spin(200);
    EXPECT_TRUE(popup->isVisible());
    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(waitUntil([&] { return !popup->isVisible(); }));
    spin(300);
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(TrayIconTest, ThePopupClosesOnEscapeAndWhenItLosesTheFocus)
{
    ASSERT_TRUE(trayInHost("top"));
    QWidget* popup = tray->popupWindow();
    QWidget other;
    other.setGeometry(200, 400, 300, 200);
    other.show();
    ASSERT_TRUE(waitUntil([&] { return isViewable(other.winId()); }));
    const auto open = [&] {
        tray->hidePopover();
        return clickAt(icon.center()) && waitUntil([&] { return popup->isVisible() && xFocus() == popup->winId(); });
    };

    ASSERT_TRUE(open());
    ASSERT_TRUE(X11Probe::xdotool({ QStringLiteral("key"), QStringLiteral("Escape") }));
    ASSERT_TRUE(waitUntil([&] { return !popup->isVisible(); }));

    // The window manager gives the focus to a window the user clicks; here xdotool does.
    const QString otherId = QString::number(other.winId());
    ASSERT_TRUE(open());
    ASSERT_TRUE(X11Probe::xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), otherId }));
    ASSERT_TRUE(waitUntil([&] { return !popup->isVisible(); }));

    // A panel that takes the focus when its icon is clicked: the click closes the popup.
    ASSERT_TRUE(open());
    ASSERT_TRUE(X11Probe::xdotool({ QStringLiteral("mousemove"), QString::number(icon.center().x()),
        QString::number(icon.center().y()), QStringLiteral("windowfocus"), QStringLiteral("--sync"), otherId,
        QStringLiteral("click"), QStringLiteral("1") }));
    spin(400);
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(TrayIconTest, InABottomPanelThePopoverOpensAboveTheIcon)
{
    ASSERT_TRUE(trayInHost("bottom"));
    ASSERT_TRUE(clickAt(icon.center()));
    QWidget* popup = tray->popupWindow();
    ASSERT_TRUE(waitUntil([&] { return popup->isVisible(); }));
    const QWidget* popover = popup->findChild<CapturePopoverView*>();
    const QRect content(popover->mapToGlobal(QPoint(0, 0)), popover->size());
    EXPECT_LT(content.bottom(), icon.top());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(content));
    tray->hidePopover();
}

TEST_F(TrayIconTest, WithoutATrayNothingShowsUntilOneStarts)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    LogCapture log;
    tray = makeTray();
    EXPECT_EQ(log.count(QStringLiteral("no system tray")), 1);
    spin(200);
    QWidget* window = trayIconWindow();
    EXPECT_TRUE(!window || !window->isVisible());
    EXPECT_FALSE(tray->isPopoverVisible());

    host = std::make_unique<TrayHost>("top");
    ASSERT_TRUE(host->running());
    embeddedIcon(*tray);
}

TEST(TrayPopoverPlacement, StaysNextToTheIconAndInsideTheAvailableArea)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(324, 548);
    constexpr int g = TrayIcon::gap;

    // Top bar 28 high, icon inside it: below the bar, centred on the icon.
    const QRect icon(1500, 4, 20, 20);
    QRect placed = TrayIcon::popoverGeometry(icon, size, screen, QRect(0, 28, 1920, 1052));
    EXPECT_EQ(placed.top(), 28 + g);
    EXPECT_LE(std::abs(placed.center().x() - icon.center().x()), 1);
    EXPECT_EQ(placed.size(), size);

    // Near the right edge: pulled in, never past the edge.
    placed = TrayIcon::popoverGeometry(QRect(1890, 4, 20, 20), size, screen, QRect(0, 28, 1920, 1052));
    EXPECT_EQ(placed.right(), 1919 - g);

    // Bottom panel 40 high: above it.
    placed = TrayIcon::popoverGeometry(QRect(1800, 1050, 22, 22), size, screen, QRect(0, 0, 1920, 1040));
    EXPECT_EQ(placed.bottom(), 1039 - g);

    // A panel on the left: the popover keeps out of it.
    placed = TrayIcon::popoverGeometry(QRect(10, 300, 24, 24), size, screen, QRect(48, 0, 1872, 1080));
    EXPECT_GE(placed.left(), 48 + g);

    // A second screen to the right and a short one: the same rules in its own coordinates.
    placed = TrayIcon::popoverGeometry(QRect(2000, 2, 20, 20), size, QRect(1920, 0, 1280, 500), QRect(1920, 24, 1280, 476));
    EXPECT_EQ(placed.left(), 1920 + g);
    EXPECT_EQ(placed.top(), 24 + g);
}

}
