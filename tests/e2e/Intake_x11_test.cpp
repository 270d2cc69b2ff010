// The intake on a desktop unlike the developer's: the real application on a real X server, in an
// English session whose folders were made in German (Bilder/Bildschirmfotos), fed a shot with a
// German name, a shot written slowly in place, and a burst of decompression bombs. The main
// window must keep answering and memory stay bounded throughout.
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"
#include "support/ImageFiles.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr qint64 kMB = 1000 * 1000;

// Asks a window _NET_WM_PING again and again from a connection of its own and keeps the longest
// wait for the answer, which the application's main thread gives.
class PingProbe {
public:
    explicit PingProbe(uint32_t window)
        : m_window(window)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~PingProbe() { stop(); }

    void stop()
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    int longestMs() const { return m_longestMs; }
    int answered() const { return m_answered; }

private:
    void run()
    {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) {
            m_longestMs = 1 << 20;
            return;
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        // Qt answers to the root window, to clients that take its structure events.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
        const auto intern = [c](const char* name) {
            auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
            const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
            std::free(reply);
            return atom;
        };
        const xcb_atom_t protocols = intern("WM_PROTOCOLS");
        const xcb_atom_t ping = intern("_NET_WM_PING");
        uint32_t serial = 1;
        while (m_running) {
            xcb_client_message_event_t event {};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = m_window;
            event.type = protocols;
            event.data.data32[0] = ping;
            event.data.data32[1] = serial;
            event.data.data32[2] = m_window;
            xcb_send_event(c, 0, m_window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
            xcb_flush(c);
            QElapsedTimer waited;
            waited.start();
            bool answered = false;
            while (!answered && waited.elapsed() < 5000) {
                xcb_generic_event_t* e = xcb_poll_for_event(c);
                if (!e) {
                    QThread::usleep(500);
                    continue;
                }
                if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                    const auto* reply = reinterpret_cast<xcb_client_message_event_t*>(e);
                    answered = reply->window == root && reply->data.data32[0] == ping && reply->data.data32[1] == serial;
                }
                std::free(e);
            }
            m_longestMs = std::max(m_longestMs.load(), int(waited.elapsed()));
            m_answered += answered ? 1 : 0;
            ++serial;
            QThread::msleep(50);
        }
        xcb_disconnect(c);
    }

    uint32_t m_window;
    std::atomic<bool> m_running { true };
    std::atomic<int> m_longestMs { 0 };
    std::atomic<int> m_answered { 0 };
    std::thread m_thread;
};

QImage shotOfSize(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(244, 244, 246));
    QPainter p(&image);
    p.fillRect(QRect(0, 0, size.width(), 48), QColor(226, 226, 230));
    p.fillRect(QRect(40, 90, size.width() / 3, size.height() / 3), color);
    return image;
}

// Whether the clipboard holds the styled PNG of a shot of this size (the default style renders
// the canvas at twice its size).
bool clipboardHoldsShotOf(QSize shot)
{
    const CanvasLayout layout = canvasLayout(QSizeF(shot), BeautifySettings::defaults());
    const QSize styled(int(std::lround(layout.canvasWidth * 2)), int(std::lround(layout.canvasHeight * 2)));
    return Desktop::clipboardPng().size() == styled;
}

class Environment {
public:
    Environment()
        : m_saved { qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("LANG"), qgetenv("LC_ALL") }
    {
        const QString home = m_home.path();
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
        qputenv("LANG", "en_US.UTF-8");
        qunsetenv("LC_ALL");
        QDir().mkpath(home + QStringLiteral("/.config"));
        // Folders made by a German session, kept when the session switched to English.
        QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
        dirs.open(QIODevice::WriteOnly);
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
        dirs.close();
        QDir().mkpath(home + QStringLiteral("/Schreibtisch"));
        QDir().mkpath(folder());
    }
    ~Environment()
    {
        const char* names[] = { "HOME", "XDG_CONFIG_HOME", "LANG", "LC_ALL" };
        for (int i = 0; i < 4; ++i) {
            if (m_saved[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], m_saved[i]);
        }
    }
    QString folder() const { return m_home.path() + QStringLiteral("/Bilder/Bildschirmfotos"); }
    QString staging(const QString& name) const { return m_home.path() + QStringLiteral("/.") + name; }

private:
    QTemporaryDir m_home;
    QByteArray m_saved[4];
};

}

TEST(Intake, GermanFoldersSlowWritersAndBombsOnAnEnglishDesktop)
{
    Environment env;
    RunningApp app;
    ASSERT_TRUE(app.start(true, false)) << app.log().toStdString();
    ASSERT_TRUE(app.log().contains(QStringLiteral("watching ") + env.folder() + QStringLiteral(" (every new image)")))
        << app.log().toStdString();
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); }));
    PingProbe probe(windows.first().toUInt());
    const auto into = [&](const QString& name) { return env.folder() + QLatin1Char('/') + name; };

    // A German name in the German folder, renamed in as GNOME does.
    const QSize first(1400, 900);
    ASSERT_TRUE(shotOfSize(first, QColor(40, 120, 220)).save(env.staging(QStringLiteral("a.png"))));
    QFile::rename(env.staging(QStringLiteral("a.png")), into(QStringLiteral("Bildschirmfoto vom 2026-12-07 11-00-00.png")));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(first); }, 20000)) << app.log().toStdString();

    // Written in place in 30 chunks, 100 ms apart, under the bare date Flameshot uses.
    const QSize second(900, 1300);
    const QByteArray slow = encodeImage(shotOfSize(second, QColor(220, 80, 40)));
    {
        QFile out(into(QStringLiteral("2026-12-07_11-01.png")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const qsizetype piece = slow.size() / 30 + 1;
        for (qsizetype at = 0; at < slow.size(); at += piece) {
            out.write(slow.mid(at, piece));
            out.flush();
            QThread::msleep(100);
        }
    }
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(second); }, 20000)) << app.log().toStdString();
    EXPECT_FALSE(app.log().contains(QStringLiteral("Couldn't open"))) << app.log().toStdString();

    // Eight bombs of 16000 x 16000 pixels in under a megabyte each, then a real shot.
    const QByteArray bomb = flatPng(16000, 16000);
    ASSERT_LT(bomb.size(), 1024 * 1024);
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("bomb-%1.png").arg(i);
        ASSERT_TRUE(writeFile(env.staging(name), bomb));
        QFile::rename(env.staging(name), into(QStringLiteral("Bildschirmfoto vom 2026-12-07 11-02-0%1.png").arg(i)));
        QThread::msleep(30);
    }
    const QSize last(1600, 700);
    ASSERT_TRUE(shotOfSize(last, QColor(60, 180, 90)).save(env.staging(QStringLiteral("last.png"))));
    QFile::rename(env.staging(QStringLiteral("last.png")), into(QStringLiteral("Bildschirmfoto vom 2026-12-07 11-03-00.png")));
    EXPECT_TRUE(waitUntil([&] { return clipboardHoldsShotOf(last); }, 20000)) << app.log().toStdString();
    spin(500);
    probe.stop();

    const qint64 peak = app.peakResidentBytes();
    std::printf("intake: peak resident %.1f MB, longest wait for the main window %d ms over %d pings\n",
        double(peak) / kMB, probe.longestMs(), probe.answered());
    EXPECT_LT(peak, 1500 * kMB);
    EXPECT_LT(probe.longestMs(), 1000);
    EXPECT_GT(probe.answered(), 10);
    // Each bomb is refused from its header and said once (or skipped unread for a newer shot).
    const QString log = app.log();
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("Bildschirmfoto vom 2026-12-07 11-02-0%1.png").arg(i);
        EXPECT_EQ(log.count(name + QStringLiteral(": it is 16000 × 16000 pixels")) + log.count(QStringLiteral("skipping ") + into(name)), 1)
            << name.toStdString();
    }
    EXPECT_TRUE(app.isRunning());
}
