// The screenshot portal over a private session bus, with a stand-in portal service on it.
#include "platform/PortalRequest.h"
#include "platform/PortalScreenshotTool.h"
#include "support/Wait.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QSignalSpy>
#include <QThread>

#include <atomic>
#include <gtest/gtest.h>

namespace {

class FakeScreenshotPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakeScreenshotPortal(QDBusConnection bus)
        : m_bus(std::move(bus))
    {
    }
    uint version() const { return 2; }

    std::atomic<uint> answer { 0 };
    QString uri; // set while no call is in flight
    QList<bool> interactive;
    std::atomic<int> calls { 0 };

public Q_SLOTS:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options, const QDBusMessage& message)
    {
        interactive.append(options.value(QStringLiteral("interactive")).toBool());
        ++calls;
        QString sender = message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        // Answered at once, before the caller has even seen the reply.
        QDBusMessage response
            = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << answer.load() << QVariantMap { { QStringLiteral("uri"), uri } };
        m_bus.send(response);
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};

class PortalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        ASSERT_TRUE(daemon.waitForStarted(3000));
        ASSERT_TRUE(daemon.waitForReadyRead(3000));
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        serviceBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("portal")));
        clientBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("client")));
        ASSERT_TRUE(serviceBus->isConnected());
        // The portal answers from a thread of its own, as a separate process would, so a
        // blocking call from the test's thread can be served.
        portal = std::make_unique<FakeScreenshotPortal>(*serviceBus);
        portalThread.start();
        portal->moveToThread(&portalThread);
        ASSERT_TRUE(serviceBus->registerObject(PortalRequest::path, portal.get(),
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(serviceBus->registerService(PortalRequest::service));
    }

    void TearDown() override
    {
        portalThread.quit();
        portalThread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        daemon.terminate();
        daemon.waitForFinished(3000);
    }

    QProcess daemon;
    QThread portalThread;
    std::unique_ptr<QDBusConnection> serviceBus;
    std::unique_ptr<QDBusConnection> clientBus;
    std::unique_ptr<FakeScreenshotPortal> portal;
};

TEST_F(PortalTest, HandsOnTheFileTheDesktopAnswersWithEvenWhenItAnswersAtOnce)
{
    EXPECT_EQ(PortalRequest::version(*clientBus, PortalScreenshotTool::interface), 2u);
    EXPECT_EQ(PortalRequest::version(*clientBus, QStringLiteral("org.freedesktop.portal.Nothing")), 0u);

    PortalScreenshotTool tool(*clientBus);
    QSignalSpy captured(&tool, &SystemScreenshotTool::captured);
    portal->uri = QStringLiteral("file:///home/u/Pictures/Screenshot%20From%201.png");
    tool.capture(SystemCapture::fullScreen);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 1; }));
    EXPECT_EQ(captured.at(0).at(0).toString(), QStringLiteral("/home/u/Pictures/Screenshot From 1.png"));

    tool.capture(SystemCapture::window);
    ASSERT_TRUE(waitUntil([&] { return captured.count() == 2; }));
    portalThread.quit();
    portalThread.wait();
    EXPECT_EQ(portal->interactive, (QList<bool> { false, true }));
}

TEST_F(PortalTest, ACancelledOrRemoteAnswerHandsOnNothing)
{
    PortalScreenshotTool tool(*clientBus);
    QSignalSpy captured(&tool, &SystemScreenshotTool::captured);
    portal->answer = 1;
    portal->uri = QStringLiteral("file:///x.png");
    tool.capture(SystemCapture::selection);
    ASSERT_TRUE(waitUntil([&] { return portal->calls == 1; }));
    spin(100);
    portal->answer = 0;
    portal->uri = QStringLiteral("https://example.com/x.png");
    tool.capture(SystemCapture::selection);
    ASSERT_TRUE(waitUntil([&] { return portal->calls == 2; }));
    spin(200);
    EXPECT_EQ(captured.count(), 0);
}

}

#include "portal_screenshot_tool_test.moc"
