// The tray popover of the real application in a real tray host (trayer): a capture row takes the
// popover off the screen before the desktop's screenshot tool is asked, and every shot of a burst
// reaches its Recent row, newest first. This test stands in for the desktop's tool: it holds the
// screenshot key, as the tool does, and looks at the screen when the key arrives.
#include "support/RunningApp.h"
#include "support/TrayHost.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScopeGuard>
#include <QScreen>
#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace {

constexpr uint32_t kPrint = 0xff61;

void click(QPoint at)
{
    Desktop::run(QStringLiteral("xdotool"), { "mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1" });
}

// The desktop's screenshot tool as far as this test needs one: it holds Print (with any
// modifiers) and, when it arrives, looks at a window and the screen over it.
class ToolStandIn {
public:
    ToolStandIn()
    {
        m_c = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_c);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, kPrint);
        m_print = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
        xcb_grab_key(m_c, 1, m_root, XCB_MOD_MASK_ANY, m_print, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_flush(m_c);
    }
    ~ToolStandIn() { xcb_disconnect(m_c); }

    struct Seen {
        bool viewable = false;
        QImage screen; // over the window's frame
    };
    // Waits for Print; then whether `window` was on the screen, and what the screen showed there.
    std::optional<Seen> atKeyPress(const ListedWindow& window, int timeoutMs)
    {
        std::optional<Seen> seen;
        waitUntil(
            [&] {
                while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
                    const bool press = (event->response_type & 0x7f) == XCB_KEY_PRESS;
                    std::free(event);
                    if (press && !seen)
                        seen = look(window);
                }
                return seen.has_value();
            },
            timeoutMs);
        return seen;
    }

private:
    Seen look(const ListedWindow& window)
    {
        Seen seen;
        auto* attributes = xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window.id), nullptr);
        seen.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        const QRect r = window.frame;
        auto* image = xcb_get_image_reply(m_c,
            xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()),
                uint16_t(r.height()), ~0u),
            nullptr);
        if (image) {
            seen.screen = QImage(xcb_get_image_data(image), r.width(), r.height(), QImage::Format_RGB32).copy();
            std::free(image);
        }
        return seen;
    }

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_print = 0;
};

// The share of pixels that are not the bare (black) root window.
double coveredShare(const QImage& image)
{
    qint64 covered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            covered += qGray(image.pixel(x, y)) > 24;
    return double(covered) / std::max<qint64>(1, qint64(image.width()) * image.height());
}

void saveShot(const QString& path, QColor color)
{
    QImage image(2880, 1800, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(path, "PNG"));
}

}

TEST(TrayPopover, ACaptureRowTakesThePopoverOffTheScreenBeforeTheToolIsAsked)
{
    TrayHost tray;
    ASSERT_TRUE(tray.running());
    ToolStandIn tool;
    RunningApp app;
    app.setEnvironment(QStringLiteral("XDG_CURRENT_DESKTOP"), QString()); // Print takes the whole screen
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    const std::optional<ListedWindow> popup = Tray::openPopover();
    ASSERT_TRUE(popup) << app.log().toStdString();
    ASSERT_GT(coveredShare(QGuiApplication::primaryScreen()->grabWindow(0, popup->frame.x(), popup->frame.y(),
                               popup->frame.width(), popup->frame.height()).toImage()),
        0.9);

    // "Capture Full Screen", the fourth row.
    click(popup->frame.topLeft() + QPoint(popup->frame.width() / 3, 69 + 3 * 39 + 20));
    const std::optional<ToolStandIn::Seen> seen = tool.atKeyPress(*popup, 5000);
    ASSERT_TRUE(seen) << app.log().toStdString();
    EXPECT_FALSE(seen->viewable);
    EXPECT_LT(coveredShare(seen->screen), 0.05);
}

TEST(TrayPopover, EveryShotOfABurstReachesRecentNewestFirst)
{
    TrayHost tray;
    ASSERT_TRUE(tray.running());
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();

    // Five shots, each of one colour, renamed into the folder at once.
    const QList<QColor> colors { QColor(220, 40, 40), QColor(40, 180, 60), QColor(40, 80, 220), QColor(240, 150, 20),
        QColor(150, 50, 200) };
    const QString staging = QDir::homePath() + QStringLiteral("/staging");
    QDir().mkpath(staging);
    for (int i = 0; i < colors.size(); ++i)
        saveShot(staging + QStringLiteral("/%1.png").arg(i), colors[i]);
    for (int i = 0; i < colors.size(); ++i) {
        ASSERT_TRUE(QFile::rename(staging + QStringLiteral("/%1.png").arg(i),
            RunningApp::screenshotFolder() + QStringLiteral("/Screenshot of a burst %1.png").arg(i)));
    }
    // The newest is presented; the ones that waited behind it skipped their panels.
    ASSERT_TRUE(waitUntil([] { return !Desktop::findWindows(QStringLiteral("^Lumaforge Shot$")).isEmpty(); }, 20000))
        << app.log().toStdString();
    ASSERT_GE(app.log().count(QStringLiteral("a newer screenshot arrived")), 1) << app.log().toStdString();
    spin(1500);

    const std::optional<ListedWindow> popup = Tray::openPopover();
    ASSERT_TRUE(popup) << app.log().toStdString();
    // The Recent row: where each shot's colour shows, left to right.
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(0, popup->frame.x(), popup->frame.y(), popup->frame.width(), popup->frame.height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    QList<int> columns;
    for (const QColor& color : colors) {
        qint64 sumX = 0, count = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                if (std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) + std::abs(c.blue() - color.blue()) < 12) {
                    sumX += x;
                    ++count;
                }
            }
        columns.append(count > 400 ? int(sumX / count) : -1);
    }
    // The three newest, newest first; the older two only in the list behind them.
    EXPECT_EQ(columns[0], -1);
    EXPECT_EQ(columns[1], -1);
    EXPECT_GT(columns[4], 0);
    EXPECT_GT(columns[3], columns[4]);
    EXPECT_GT(columns[2], columns[3]);
}
