#include "capture/CaptureShortcutStore.h"
#include "capture/GlobalHotkeys.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeSettingsStore.h"
#include "platform/Keys.h"
#include "support/LogCapture.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

namespace {

class GlobalHotkeysTest : public ::testing::Test {
protected:
    GlobalHotkeysTest()
        : store(settings, [this] { hotkeys->reregisterAll(); })
    {
        auto fake = std::make_unique<FakeHotkeyBackend>();
        backend = fake.get();
        hotkeys = std::make_unique<GlobalHotkeys>(std::move(fake), store);
    }

    void registerCounting()
    {
        hotkeys->registerHandlers([this] { ++ran[0]; }, [this] { ++ran[1]; }, [this] { ++ran[2]; });
    }

    FakeSettingsStore settings;
    CaptureShortcutStore store;
    FakeHotkeyBackend* backend = nullptr;
    std::unique_ptr<GlobalHotkeys> hotkeys;
    int ran[3] = { 0, 0, 0 };
};

TEST_F(GlobalHotkeysTest, RegistersTheThreeDefaultsAndRunsTheHandlerLaterOnce)
{
    registerCounting();
    ASSERT_EQ(backend->active.size(), 3u);
    EXPECT_EQ(backend->active.at(1).keyCode, 22u);
    EXPECT_EQ(backend->active.at(2).keyCode, 26u);
    EXPECT_EQ(backend->active.at(3).keyCode, 28u);
    EXPECT_EQ(backend->active.at(1).modifiers, 768u);

    backend->press(*hotkeys->registeredID(CaptureAction::selection));
    EXPECT_EQ(ran[0], 0); // not inside the backend's callback
    ASSERT_TRUE(waitUntil([&] { return ran[0] == 1; }));
    spin(20);
    EXPECT_EQ(ran[0], 1);
    EXPECT_EQ(ran[1] + ran[2], 0);

    backend->press(999); // unknown id
    spin(20);
    EXPECT_EQ(ran[0] + ran[1] + ran[2], 1);
}

TEST_F(GlobalHotkeysTest, SuspendedGrabsComeBackOnceWithWhatChangedMeanwhile)
{
    registerCounting();
    hotkeys->suspend();
    hotkeys->suspend(); // two recorders at once
    EXPECT_TRUE(backend->active.empty());
    store.setShortcut({ 1, CarbonModifier::command | CarbonModifier::option, QStringLiteral("S") }, CaptureAction::selection);
    EXPECT_TRUE(backend->active.empty());
    hotkeys->resume();
    EXPECT_TRUE(backend->active.empty());
    hotkeys->resume();
    hotkeys->resume(); // one too many changes nothing
    ASSERT_EQ(backend->active.size(), 3u);
    EXPECT_EQ(backend->active.at(*hotkeys->registeredID(CaptureAction::selection)).keyCode, 1u);
    EXPECT_EQ(backend->active.at(*hotkeys->registeredID(CaptureAction::selection)).name, "capture-selection");

    // Shortcuts the desktop binds (the portal) are not let go: binding again may ask the user.
    backend->grabs = false;
    const int calls = backend->registerCalls;
    hotkeys->suspend();
    EXPECT_EQ(backend->active.size(), 3u);
    hotkeys->resume();
    EXPECT_EQ(backend->registerCalls, calls);
}

TEST_F(GlobalHotkeysTest, AChangedBindingReplacesAllThreeWithFreshIDs)
{
    registerCounting();
    store.setShortcut({ 1, CarbonModifier::control | CarbonModifier::option, QStringLiteral("S") }, CaptureAction::selection);
    EXPECT_EQ(backend->unregistered, (std::set<quint32> { 1, 2, 3 }));
    ASSERT_EQ(backend->active.size(), 3u);
    EXPECT_EQ(*hotkeys->registeredID(CaptureAction::selection), 4u);
    EXPECT_EQ(*hotkeys->registeredID(CaptureAction::fullScreen), 6u);
    EXPECT_EQ(backend->active.at(4).modifiers, 6144u);

    // A press of the old id arriving late runs nothing.
    backend->press(1);
    backend->press(4);
    ASSERT_TRUE(waitUntil([&] { return ran[0] == 1; }));
    spin(20);
    EXPECT_EQ(ran[0], 1);
}

TEST_F(GlobalHotkeysTest, ARefusedBindingIsLoggedAndLeavesTheOthersWorking)
{
    LogCapture log;
    backend->refused.insert({ 26, 768 });
    registerCounting();
    EXPECT_EQ(log.count(QStringLiteral("failed to register global hotkey for window (status 10)")), 1);
    EXPECT_FALSE(hotkeys->registeredID(CaptureAction::window));
    EXPECT_EQ(backend->active.size(), 2u);
    EXPECT_EQ(hotkeys->nextID(), 4u); // the failed id is not reused
    backend->press(*hotkeys->registeredID(CaptureAction::fullScreen));
    ASSERT_TRUE(waitUntil([&] { return ran[2] == 1; }));
}

TEST_F(GlobalHotkeysTest, AKeyAnotherProgramHeldIsTakenOnceItLetsGoAndTheTriesThenStop)
{
    LogCapture log;
    backend->refused.insert({ 26, 768 });
    registerCounting();
    int registered = 0;
    QObject::connect(hotkeys.get(), &GlobalHotkeys::registered, [&] { ++registered; });
    EXPECT_TRUE(hotkeys->isRetrying());

    // Still held: nothing changes, and the log is not filled with one line a try.
    hotkeys->retryRefused();
    EXPECT_FALSE(hotkeys->registeredID(CaptureAction::window));
    EXPECT_TRUE(hotkeys->refusal(CaptureAction::window));
    EXPECT_EQ(registered, 0);
    EXPECT_EQ(log.count(QStringLiteral("failed to register global hotkey for window (status 10)")), 1);

    // While a recorder has the keys let go nothing is tried; afterwards the tries go on.
    hotkeys->suspend();
    EXPECT_FALSE(hotkeys->isRetrying());
    hotkeys->retryRefused();
    EXPECT_TRUE(backend->active.empty());
    hotkeys->resume();
    EXPECT_TRUE(hotkeys->isRetrying());
    registered = 0; // resuming registers all three again

    // The other program lets go: the timer takes the key, says so, and stops.
    backend->refused.clear();
    ASSERT_TRUE(waitUntil([&] { return hotkeys->registeredID(CaptureAction::window).has_value(); },
        GlobalHotkeys::retryIntervalMs + 2000));
    EXPECT_FALSE(hotkeys->refusal(CaptureAction::window));
    EXPECT_EQ(registered, 1);
    EXPECT_FALSE(hotkeys->isRetrying());
    EXPECT_EQ(backend->active.size(), 3u);
    EXPECT_EQ(log.count(QStringLiteral("global hot keys registered: 3 of 3")), 1);
    backend->press(*hotkeys->registeredID(CaptureAction::window));
    ASSERT_TRUE(waitUntil([&] { return ran[1] == 1; }));
    EXPECT_EQ(ran[0] + ran[2], 0);
}

TEST_F(GlobalHotkeysTest, KeysThatNoWaitingCanFreeAreNotTriedAgain)
{
    // The desktop's shortcuts (the portal): asking again may make it ask the user again.
    backend->grabs = false;
    backend->refused.insert({ 26, 768 });
    registerCounting();
    EXPECT_FALSE(hotkeys->isRetrying());
    const int calls = backend->registerCalls;
    hotkeys->retryRefused();
    EXPECT_EQ(backend->registerCalls, calls);
}

TEST_F(GlobalHotkeysTest, RegisteringAgainReplacesTheHandlersWithoutDoublingPresses)
{
    registerCounting();
    int replaced = 0;
    hotkeys->registerHandlers([&] { ++replaced; }, [] {}, [] {});
    backend->press(*hotkeys->registeredID(CaptureAction::selection));
    ASSERT_TRUE(waitUntil([&] { return replaced == 1; }));
    spin(20);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(ran[0], 0);
}

}
