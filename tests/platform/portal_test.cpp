// The desktop portals over a private session bus, with a stand-in portal service on it.
#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "fakes/FakeColorSampler.h"
#include "fakes/FakePortalRequest.h"
#include "fakes/FakeSettingsStore.h"
#include "settings/ShortcutRecorder.h"
#include "platform/Keys.h"
#include "platform/PortalColorSampler.h"
#include "platform/PortalHotkeyBackend.h"
#include "platform/PortalRequest.h"
#include "platform/PortalScreenshotTool.h"
#include "support/Wait.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QSignalSpy>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

#include <atomic>
#include <gtest/gtest.h>

namespace {

class FakeScreenshotPortal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)
public:
    FakeScreenshotPortal(QObject* host, QDBusConnection bus)
        : QDBusAbstractAdaptor(host)
        , m_bus(std::move(bus))
    {
    }
    uint version() const { return 2; }

    // PickColor: what the next pick answers; a call is left unanswered (no reply at all, or a
    // reply and no Response) when asked to.
    enum class Pick { color, cancel, fail, noReply, noResponse, malformed };
    std::atomic<Pick> pick { Pick::color };
    double red = 0, green = 0, blue = 0; // set while no call is in flight
    std::atomic<int> picks { 0 };
    std::atomic<int> closes { 0 };

    std::atomic<uint> answer { 0 };
    QString uri; // set while no call is in flight
    QList<bool> interactive;
    std::atomic<int> calls { 0 };

public Q_SLOTS:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options, const QDBusMessage& message)
    {
        interactive.append(options.value(QStringLiteral("interactive")).toBool());
        ++calls;
        // Answered at once, before the caller has even seen the reply.
        respond(m_bus, message, options.value(QStringLiteral("handle_token")).toString(), answer,
            { { QStringLiteral("uri"), uri } });
        return QDBusObjectPath(QStringLiteral("/r"));
    }

    QDBusObjectPath PickColor(const QString&, const QVariantMap& options, const QDBusMessage& message)
    {
        ++picks;
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        switch (pick.load()) {
        case Pick::noReply:
            message.setDelayedReply(true); // and never sends it
            return {};
        case Pick::noResponse:
            watchClose(message, token);
            break;
        case Pick::cancel:
            respond(m_bus, message, token, 1, {});
            break;
        case Pick::fail:
            message.setDelayedReply(true);
            m_bus.send(message.createErrorReply(QDBusError::NotSupported, QStringLiteral("no picker here")));
            return {};
        case Pick::malformed:
            respond(m_bus, message, token, 0, { { QStringLiteral("color"), QStringLiteral("red") } });
            break;
        case Pick::color: {
            QDBusArgument color;
            color.beginStructure();
            color << red << green << blue;
            color.endStructure();
            respond(m_bus, message, token, 0, { { QStringLiteral("color"), QVariant::fromValue(color) } });
            break;
        }
        }
        return QDBusObjectPath(QStringLiteral("/r"));
    }

private:
    // Counts Request.Close calls on the request object of this call.
    void watchClose(const QDBusMessage& call, const QString& token)
    {
        const QString sender = call.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
        auto* request = new FakePortalRequest(parent(), &closes);
        m_bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token), request,
            QDBusConnection::ExportAllSlots);
    }
    QDBusConnection m_bus;
};

class FakeShortcutsPortal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
public:
    FakeShortcutsPortal(QObject* host, QDBusConnection bus)
        : QDBusAbstractAdaptor(host)
        , m_bus(std::move(bus))
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
    }

    std::atomic<int> sessions { 0 };
    QStringList triggers; // read once binding is done
    std::atomic<int> binds { 0 };
    QString session;
    // How the desktop answers a bind (set while none is in flight): the response, and the key it
    // says starts each shortcut, by id (an empty text: no key; absent: the preferred trigger).
    std::atomic<uint> bindResponse { 0 };
    QMap<QString, QString> assigned;

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message)
    {
        session = QStringLiteral("/org/freedesktop/portal/desktop/session/x/s%1").arg(++sessions);
        respond(m_bus, message, options.value(QStringLiteral("handle_token")).toString(), 0,
            { { QStringLiteral("session_handle"), session } });
        return QDBusObjectPath(QStringLiteral("/r"));
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath&, const QList<PortalShortcut>& shortcuts, const QString&,
        const QVariantMap& options, const QDBusMessage& message)
    {
        triggers.clear();
        QList<PortalShortcut> bound;
        for (const PortalShortcut& shortcut : shortcuts) {
            const QString preferred = shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
            triggers << shortcut.id + QLatin1Char('=') + preferred;
            bound.append({ shortcut.id, { { QStringLiteral("description"), shortcut.properties.value(QStringLiteral("description")) },
                                            { QStringLiteral("trigger_description"), assigned.value(shortcut.id, preferred) } } });
        }
        QVariantMap results;
        if (bindResponse == 0)
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
        respond(m_bus, message, options.value(QStringLiteral("handle_token")).toString(), bindResponse, results);
        ++binds;
        return QDBusObjectPath(QStringLiteral("/r"));
    }

    void activate(const QString& id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap();
        m_bus.send(signal);
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
        host = std::make_unique<QObject>();
        portal = new FakeScreenshotPortal(host.get(), *serviceBus);
        shortcuts = new FakeShortcutsPortal(host.get(), *serviceBus);
        portalThread.start();
        host->moveToThread(&portalThread);
        ASSERT_TRUE(serviceBus->registerObject(PortalRequest::path, host.get(), QDBusConnection::ExportAdaptors));
        ASSERT_TRUE(serviceBus->registerService(PortalRequest::service));
    }

    void TearDown() override
    {
        serviceBus->unregisterObject(PortalRequest::path);
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
    std::unique_ptr<QObject> host; // the portal object, with one adaptor per interface
    FakeScreenshotPortal* portal = nullptr;
    FakeShortcutsPortal* shortcuts = nullptr;
};

// Exports and colour picks ask whether a portal is there: a portal that hangs must stall the
// application once at most, and an answer learnt ahead must spare even that.
TEST_F(PortalTest, VersionsAreAskedOnceSoAHangingPortalStallsOnlyTheFirstAsk)
{
    PortalRequest::forgetVersions();
    const QString screenshot = PortalScreenshotTool::interface;
    const QString chooser = QStringLiteral("org.freedesktop.portal.FileChooser");

    // The portal's thread busy for longer than the ask waits: the first ask gives up, later ones
    // do not wait again.
    QMetaObject::invokeMethod(host.get(), [] { QThread::msleep(2500); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(PortalRequest::rememberedVersion(*clientBus, chooser), 0u);
    EXPECT_GE(clock.elapsed(), 900);
    clock.restart();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PortalRequest::rememberedVersion(*clientBus, chooser), 0u);
    EXPECT_LT(clock.elapsed(), 100);

    // Learnt ahead while the portal answers, the version is there after the portal is gone.
    ASSERT_TRUE(waitUntil([&] { return PortalRequest::version(*clientBus, screenshot) == 2u; }));
    PortalRequest::learnVersion(*clientBus, screenshot);
    QElapsedTimer settle;
    settle.start();
    waitUntil([&] { return settle.elapsed() > 300; });
    serviceBus->unregisterService(PortalRequest::service);
    ASSERT_TRUE(waitUntil([&] { return PortalRequest::version(*clientBus, screenshot) == 0u; }));
    EXPECT_EQ(PortalRequest::rememberedVersion(*clientBus, screenshot), 2u);
    PortalRequest::forgetVersions();
    EXPECT_EQ(PortalRequest::rememberedVersion(*clientBus, screenshot), 0u);
    PortalRequest::forgetVersions();
}

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

// A portal without a working screenshot backend fails every request: that is no answer, and is
// said; the user's own cancel is not.
TEST_F(PortalTest, AFailedRequestIsNoAnswerButACancelIs)
{
    PortalScreenshotTool tool(*clientBus);
    QSignalSpy noAnswer(&tool, &SystemScreenshotTool::noAnswer);
    portal->answer = 1;
    tool.capture(SystemCapture::selection);
    ASSERT_TRUE(waitUntil([&] { return portal->calls == 1; }));
    spin(100);
    EXPECT_EQ(noAnswer.count(), 0);
    portal->answer = 2;
    tool.capture(SystemCapture::fullScreen);
    ASSERT_TRUE(waitUntil([&] { return noAnswer.count() == 1; }));
}

TEST_F(PortalTest, HotKeysAreBoundTogetherUnderStableNamesAndRunWhenTheDesktopActivatesThem)
{
    PortalHotkeyBackend backend(*clientBus);
    QSignalSpy pressed(&backend, &HotkeyBackend::pressed);
    const quint32 ctrlShift = CarbonModifier::command | CarbonModifier::shift;
    EXPECT_EQ(backend.registerHotKey(1, { "capture-selection", "Capture Selection", 22, ctrlShift }), 0);
    EXPECT_EQ(backend.registerHotKey(2, { "capture-window", "Capture Window", 33, CarbonModifier::control | CarbonModifier::option }), 0);
    EXPECT_EQ(backend.registerHotKey(3, { "capture-full-screen", "Capture Full Screen", 999, CarbonModifier::command }), 2);
    ASSERT_TRUE(waitUntil([&] { return shortcuts->binds == 1; }));
    EXPECT_EQ(shortcuts->sessions, 1);
    // Keys by their keysym names, as the desktop's shortcut notation has them.
    EXPECT_EQ(shortcuts->triggers, QStringList({ "capture-selection=CTRL+SHIFT+6", "capture-window=ALT+LOGO+bracketleft" }));

    // Activated in this session: once; an unknown name nothing.
    QMetaObject::invokeMethod(shortcuts, [this] { shortcuts->activate(QStringLiteral("capture-window")); });
    QMetaObject::invokeMethod(shortcuts, [this] { shortcuts->activate(QStringLiteral("2")); });
    ASSERT_TRUE(waitUntil([&] { return pressed.count() == 1; }));
    spin(100);
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).toUInt(), 2u);

    // Re-registered under fresh ids (as every change does): bound afresh in a new session, under
    // the same names, and an activation reaches the new id.
    backend.unregisterHotKey(1);
    backend.unregisterHotKey(2);
    EXPECT_EQ(backend.registerHotKey(4, { "capture-selection", "Capture Selection", 22, ctrlShift }), 0);
    EXPECT_EQ(backend.registerHotKey(5, { "capture-window", "Capture Window", 114, CarbonModifier::command }), 0);
    ASSERT_TRUE(waitUntil([&] { return shortcuts->binds == 2; }));
    EXPECT_EQ(shortcuts->sessions, 2);
    EXPECT_EQ(shortcuts->triggers, QStringList({ "capture-selection=CTRL+SHIFT+6", "capture-window=CTRL+Insert" }));
    QMetaObject::invokeMethod(shortcuts, [this] { shortcuts->activate(QStringLiteral("capture-window")); });
    ASSERT_TRUE(waitUntil([&] { return pressed.count() == 2; }));
    EXPECT_EQ(pressed.at(1).at(0).toUInt(), 5u);
}

// The settings window's recorders over the portal: what the desktop made of each binding shows
// under its row, for the bindings at start and for a key typed into a recorder.
TEST_F(PortalTest, TheDesktopsOwnKeyOrItsRefusalShowsUnderTheRowInsteadOfASilentSuccess)
{
    FakeSettingsStore settings;
    std::unique_ptr<GlobalHotkeys> hotkeys;
    CaptureShortcutStore store(settings, [&] { hotkeys->reregisterAll(); });
    hotkeys = std::make_unique<GlobalHotkeys>(std::make_unique<PortalHotkeyBackend>(*clientBus), store);
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    QList<ShortcutRecorder*> recorders;
    for (CaptureAction action : allCases<CaptureAction>) {
        recorders.append(new ShortcutRecorder(action, store, hotkeys.get(), &window));
        column->addWidget(recorders.last());
    }
    window.show();
    // The user had given the window capture a key of their own in the desktop's settings, and
    // the full-screen one none.
    shortcuts->assigned = { { "capture-window", "Ctrl+Alt+W" }, { "capture-full-screen", "" } };
    hotkeys->registerHandlers([] {}, [] {}, [] {});
    ASSERT_TRUE(waitUntil([&] { return shortcuts->binds == 1 && !recorders[2]->notice().isEmpty(); }));
    EXPECT_EQ(recorders[0]->notice(), QString());
    EXPECT_EQ(recorders[1]->notice(), "The desktop uses Ctrl+Alt+W for this instead");
    EXPECT_EQ(recorders[2]->notice(), "The desktop didn't accept this shortcut");
    EXPECT_TRUE(hotkeys->registeredID(CaptureAction::window));
    EXPECT_FALSE(hotkeys->registeredID(CaptureAction::fullScreen)) << "no key starts it";

    // A rebind typed into the recorder, which the desktop answers by keeping its own key.
    shortcuts->assigned = { { "capture-selection", "Ctrl+Shift+6" } };
    QTest::mouseClick(recorders[0]->shortcutButton(), Qt::LeftButton);
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(store.shortcut(CaptureAction::selection).displayString(), "Ctrl+Alt+S");
    ASSERT_TRUE(waitUntil([&] { return shortcuts->binds == 2 && !recorders[0]->notice().isEmpty(); }));
    EXPECT_EQ(recorders[0]->notice(), "The desktop uses Ctrl+Shift+6 for this instead");
    EXPECT_EQ(recorders[1]->notice(), QString()) << "now bound as asked";

    // The user cancels the desktop's dialog: nothing is bound, every row says so.
    shortcuts->bindResponse = 1;
    QTest::mouseClick(recorders[0]->resetButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return shortcuts->binds == 3 && !recorders[1]->notice().isEmpty(); }));
    for (ShortcutRecorder* recorder : recorders)
        EXPECT_EQ(recorder->notice(), "The desktop didn't accept this shortcut");
    hotkeys.reset();
}

TEST(PortalTriggerTest, ReadsTheDesktopsDescriptionOfATrigger)
{
    const quint32 ctrlShift = CarbonModifier::command | CarbonModifier::shift;
    EXPECT_TRUE(PortalHotkeyBackend::triggerMatches("Ctrl+Shift+6", 22, ctrlShift));
    EXPECT_TRUE(PortalHotkeyBackend::triggerMatches("CTRL+SHIFT+6", 22, ctrlShift));
    EXPECT_TRUE(PortalHotkeyBackend::triggerMatches("Shift + Control + 6", 22, ctrlShift));
    EXPECT_TRUE(PortalHotkeyBackend::triggerMatches("<Control><Shift>6", 22, ctrlShift));
    EXPECT_TRUE(PortalHotkeyBackend::triggerMatches("Meta+Print", 0x10000 + 99, CarbonModifier::control));
    EXPECT_FALSE(PortalHotkeyBackend::triggerMatches("Ctrl+6", 22, ctrlShift));
    EXPECT_FALSE(PortalHotkeyBackend::triggerMatches("Ctrl+Shift+7", 22, ctrlShift));
    EXPECT_FALSE(PortalHotkeyBackend::triggerMatches("Hyper+Shift+6", 22, ctrlShift));
    EXPECT_FALSE(PortalHotkeyBackend::triggerMatches("", 22, ctrlShift));
}

TEST(PortalTriggerTest, NamesEveryKeyOfTheTableInTheShortcutNotation)
{
    EXPECT_EQ(PortalHotkeyBackend::preferredTrigger(36, CarbonModifier::all), QStringLiteral("CTRL+ALT+SHIFT+LOGO+Return"));
    EXPECT_EQ(PortalHotkeyBackend::preferredTrigger(82, CarbonModifier::option), QStringLiteral("ALT+KP_0"));
    EXPECT_EQ(PortalHotkeyBackend::preferredTrigger(0, CarbonModifier::command), QStringLiteral("CTRL+a"));
    EXPECT_TRUE(PortalHotkeyBackend::preferredTrigger(999, CarbonModifier::command).isEmpty());
}


class PortalColorSamplerTest : public PortalTest {
protected:
    struct Outcome {
        QList<QColor> picked;
        int finished = 0;
    };
    void sample(ColorSampler& sampler, Outcome& outcome)
    {
        sampler.sample(
            &context, [&outcome](const QColor& c) { outcome.picked.append(c); }, [&outcome] { ++outcome.finished; });
    }
    QObject context;
};

TEST_F(PortalColorSamplerTest, HandsOnThePickedColourAndNothingOnACancelOrAMalformedAnswer)
{
    PortalColorSampler sampler(*clientBus);
    EXPECT_TRUE(sampler.isAvailable());
    Outcome outcome;
    portal->red = 1.0;
    portal->green = 0.5;
    portal->blue = 1.25; // beyond sRGB: kept here, clamped where it becomes a hex
    sample(sampler, outcome);
    EXPECT_TRUE(sampler.isSampling());
    ASSERT_TRUE(waitUntil([&] { return outcome.finished == 1; }));
    ASSERT_EQ(outcome.picked.size(), 1);
    EXPECT_FLOAT_EQ(outcome.picked[0].redF(), 1.0f);
    EXPECT_NEAR(outcome.picked[0].greenF(), 0.5f, 1e-3);
    EXPECT_GT(outcome.picked[0].blueF(), 1.0f);
    EXPECT_FALSE(sampler.isSampling());

    for (auto answer : { FakeScreenshotPortal::Pick::cancel, FakeScreenshotPortal::Pick::malformed }) {
        portal->pick = answer;
        sample(sampler, outcome);
        const int expected = outcome.finished + 1;
        ASSERT_TRUE(waitUntil([&] { return outcome.finished == expected; }));
    }
    EXPECT_EQ(outcome.picked.size(), 1);
    EXPECT_EQ(portal->picks, 3);
}

TEST_F(PortalColorSamplerTest, APortalThatNeverAnswersIsGivenUpOn)
{
    PortalColorSampler sampler(*clientBus);
    sampler.setTimeouts(300, 600);
    Outcome outcome;

    // No reply to the call at all.
    portal->pick = FakeScreenshotPortal::Pick::noReply;
    sample(sampler, outcome);
    Outcome refused;
    sample(sampler, refused); // one pick at a time
    EXPECT_EQ(refused.finished, 1);
    ASSERT_TRUE(waitUntil([&] { return outcome.finished == 1; }, 3000));
    EXPECT_FALSE(sampler.isSampling());

    // The call taken, the user given longer, then the request closed.
    portal->pick = FakeScreenshotPortal::Pick::noResponse;
    QElapsedTimer clock;
    clock.start();
    sample(sampler, outcome);
    ASSERT_TRUE(waitUntil([&] { return outcome.finished == 2; }, 3000));
    EXPECT_GE(clock.elapsed(), 550);
    ASSERT_TRUE(waitUntil([&] { return portal->closes == 1; }));
    EXPECT_TRUE(outcome.picked.isEmpty());
    EXPECT_EQ(refused.picked.size(), 0);
}

TEST_F(PortalColorSamplerTest, APortalThatCannotPickHandsThePickToTheFallback)
{
    auto* fallback = new FakeColorSampler;
    PortalColorSampler sampler(*clientBus, fallback);
    portal->pick = FakeScreenshotPortal::Pick::fail;
    Outcome outcome;
    sample(sampler, outcome);
    ASSERT_TRUE(waitUntil([&] { return fallback->starts == 1; }));
    EXPECT_TRUE(sampler.isSampling());
    fallback->answer(QColor(1, 2, 3));
    EXPECT_EQ(outcome.picked, QList<QColor> { QColor(1, 2, 3) });
    EXPECT_EQ(outcome.finished, 1);

    // Nothing is handed to a caller that has gone meanwhile.
    portal->pick = FakeScreenshotPortal::Pick::cancel;
    Outcome late;
    {
        QObject shortLived;
        sampler.sample(&shortLived, [&](const QColor& c) { late.picked.append(c); }, [&] { ++late.finished; });
    }
    spin(300);
    EXPECT_EQ(late.finished, 0);
    EXPECT_FALSE(sampler.isSampling());
}

}

#include "portal_test.moc"
