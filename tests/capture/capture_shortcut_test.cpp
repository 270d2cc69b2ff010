#include "capture/CaptureShortcutStore.h"
#include "fakes/FakeSettingsStore.h"
#include "platform/Keys.h"
#include "support/LogCapture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

QKeyEvent keyPress(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode = 0, quint32 keysym = 0)
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, scanCode, keysym, 0);
}

TEST(CaptureShortcutTest, ShowsLinuxKeyNamesInOneOrder)
{
    EXPECT_EQ(CaptureShortcut::defaultFor(CaptureAction::selection).displayString(), QStringLiteral("Ctrl+Shift+6"));
    EXPECT_EQ(CaptureShortcut::defaultFor(CaptureAction::fullScreen).displayString(), QStringLiteral("Ctrl+Shift+8"));
    // command + control: Ctrl first, Super last, whatever the bits' order.
    EXPECT_EQ((CaptureShortcut { 7, 4352, QStringLiteral("X") }).displayString(), QStringLiteral("Ctrl+Super+X"));
    EXPECT_EQ((CaptureShortcut { 1, 6144, QStringLiteral("S") }).displayString(), QStringLiteral("Alt+Super+S"));
    EXPECT_EQ(keyText(CarbonModifier::all, QStringLiteral("V")), QStringLiteral("Ctrl+Alt+Shift+Super+V"));
}

TEST(CaptureShortcutTest, RecordsAKeyPressByItsPosition)
{
    // Super+Alt+S: control and option.
    const auto s = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_S, Qt::MetaModifier | Qt::AltModifier));
    ASSERT_TRUE(s);
    EXPECT_EQ(*s, (CaptureShortcut { 1, 6144, QStringLiteral("S") }));

    // On X11 the key's position (its X keycode) decides, whatever the layout types there: the
    // key left of T on a German layout types Z but stays key 16 ("Y" on the table's layout).
    const auto y = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_Z, Qt::ControlModifier, 29, 0x7a));
    ASSERT_TRUE(y);
    EXPECT_EQ(y->keyCode, 16u);

    // Ctrl+Shift+6 arrives as "^" with Shift held.
    const auto six = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_AsciiCircum, Qt::ControlModifier | Qt::ShiftModifier, 15, 0x5e));
    ASSERT_TRUE(six);
    EXPECT_EQ(*six, CaptureShortcut::defaultFor(CaptureAction::selection));

    const auto f5 = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_F5, Qt::AltModifier));
    ASSERT_TRUE(f5);
    EXPECT_EQ(f5->displayString(), QStringLiteral("Alt+F5"));
}

TEST(CaptureShortcutTest, APressWithoutCtrlAltOrSuperGivesNoShortcut)
{
    EXPECT_FALSE(CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_S, Qt::NoModifier)));
    EXPECT_FALSE(CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_S, Qt::ShiftModifier)));
    EXPECT_FALSE(CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_S, Qt::KeypadModifier | Qt::GroupSwitchModifier)));
    // A modifier pressed on its own, or a key no hot key can use.
    EXPECT_FALSE(CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_Control, Qt::ControlModifier, 37, 0xffe3)));
    EXPECT_FALSE(CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_Eject, Qt::ControlModifier)));
}

TEST(CaptureShortcutTest, PrintPauseMenuAndMediaKeysAreKeysLikeAnyOther)
{
    // Position codes past the stored form's range where it had none; the X keycodes the server
    // sends for them, so they are found by what the platform reports too.
    const auto print = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_Print, Qt::ControlModifier));
    ASSERT_TRUE(print);
    EXPECT_EQ(print->keyCode, 0x10000u + 99);
    EXPECT_EQ(print->displayString(), QStringLiteral("Ctrl+Print"));
    const auto sysReq = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_SysReq, Qt::AltModifier, 107, 0xff15));
    ASSERT_TRUE(sysReq) << "Alt+Print arrives as Sys_Req";
    EXPECT_EQ(sysReq->keyCode, print->keyCode);
    const auto pause = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_Pause, Qt::AltModifier));
    ASSERT_TRUE(pause);
    EXPECT_EQ(pause->displayString(), QStringLiteral("Alt+Pause"));
    const auto menu = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_Menu, Qt::MetaModifier));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->keyCode, 110u);
    const auto volume = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_VolumeUp, Qt::ControlModifier));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->displayString(), QStringLiteral("Ctrl+Volume Up"));
    const auto play = CaptureShortcut::fromKeyEvent(keyPress(Qt::Key_MediaPlay, Qt::ControlModifier | Qt::ShiftModifier));
    ASSERT_TRUE(play);
    EXPECT_EQ(play->displayString(), QStringLiteral("Ctrl+Shift+Play"));
    // Still stored and read back in the same three keys.
    EXPECT_EQ(CaptureShortcut::fromJson(print->toJson()), print);
}

TEST(CaptureShortcutTest, JsonKeepsItsThreeKeysAndRefusesWhatIsIncompleteOrInvalid)
{
    const CaptureShortcut shortcut { 1, 6144, QStringLiteral("S") };
    const QJsonObject object = QJsonDocument::fromJson(shortcut.toJson()).object();
    EXPECT_EQ(object.keys(), QStringList({ "carbonModifiers", "keyCode", "keyLabel" }));
    EXPECT_EQ(CaptureShortcut::fromJson(shortcut.toJson()), shortcut);

    EXPECT_FALSE(CaptureShortcut::fromJson(R"({"keyCode": 1, "carbonModifiers": 4352})"));
    EXPECT_FALSE(CaptureShortcut::fromJson(R"({"keyCode": "1", "carbonModifiers": 4352, "keyLabel": "S"})"));
    EXPECT_FALSE(CaptureShortcut::fromJson(R"({"keyCode": -1, "carbonModifiers": 4352, "keyLabel": "S"})"));
    EXPECT_FALSE(CaptureShortcut::fromJson(R"({"keyCode": 1.5, "carbonModifiers": 4352, "keyLabel": "S"})"));
    EXPECT_FALSE(CaptureShortcut::fromJson("not json"));
    // Shift alone, or nothing, would take ordinary typing away system-wide.
    EXPECT_FALSE(CaptureShortcut::fromJson(R"({"keyCode": 1, "carbonModifiers": 512, "keyLabel": "S"})"));
    EXPECT_FALSE(CaptureShortcut::fromJson(R"({"keyCode": 1, "carbonModifiers": 0, "keyLabel": "S"})"));
    // Unknown bits (caps lock 1024, others) are dropped; extra keys are ignored.
    const auto masked = CaptureShortcut::fromJson(R"({"keyCode": 1, "carbonModifiers": 67328, "keyLabel": "S", "x": 1})");
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked->carbonModifiers, 768u);
    EXPECT_FALSE(CaptureShortcut::fromJson(R"({"keyCode": 1, "carbonModifiers": 1536, "keyLabel": "S"})"));
}

TEST(CaptureShortcutStoreTest, StartsFromDefaultsWithoutWritingAndSkipsBadStoredData)
{
    FakeSettingsStore settings;
    settings.setValue(QStringLiteral("captureShortcut.window"), QByteArray(R"({"keyCode": 1, "carbonModifiers": 4352})"));
    settings.setValue(QStringLiteral("captureShortcut.fullScreen"),
        QByteArray(R"({"keyCode": 1, "carbonModifiers": 512, "keyLabel": "S"})"));
    settings.setValue(QStringLiteral("captureShortcut.selection"), QStringLiteral("a string, not data"));
    settings.writes.clear();

    CaptureShortcutStore store(settings);
    ASSERT_EQ(store.shortcuts().size(), 3u);
    for (CaptureAction action : allCases<CaptureAction>)
        EXPECT_EQ(store.shortcut(action), CaptureShortcut::defaultFor(action));
    EXPECT_TRUE(settings.writes.isEmpty());
}

TEST(CaptureShortcutStoreTest, SetShortcutStoresReregistersAndSurvivesARestart)
{
    FakeSettingsStore settings;
    int reregistered = 0;
    CaptureShortcutStore store(settings, [&] { ++reregistered; });
    const CaptureShortcut ctrlAltS { 1, CarbonModifier::command | CarbonModifier::option, QStringLiteral("S") };
    store.setShortcut(ctrlAltS, CaptureAction::window);
    EXPECT_EQ(reregistered, 1);
    EXPECT_EQ(store.shortcut(CaptureAction::window), ctrlAltS);
    EXPECT_EQ(settings.value(QStringLiteral("captureShortcut.window")).typeId(), QMetaType::QByteArray);

    LogCapture log;
    store.setShortcut({ 1, CarbonModifier::shift, QStringLiteral("S") }, CaptureAction::selection);
    EXPECT_EQ(reregistered, 1);
    EXPECT_EQ(log.count(QStringLiteral("refusing hot key Shift+S for selection")), 1);
    EXPECT_EQ(store.shortcut(CaptureAction::selection), CaptureShortcut::defaultFor(CaptureAction::selection));

    CaptureShortcutStore restarted(settings);
    EXPECT_EQ(restarted.shortcut(CaptureAction::window), ctrlAltS);
    EXPECT_EQ(restarted.shortcut(CaptureAction::selection), CaptureShortcut::defaultFor(CaptureAction::selection));
}

TEST(KeysTest, TableRoundTripsEveryPositionAndModifier)
{
    for (quint32 code = 0; code < 128; ++code) {
        const auto key = keyForCode(code);
        if (!key)
            continue;
        EXPECT_EQ(keyForXKeycode(key->xKeycode)->keyCode, code) << code;
        EXPECT_EQ(keyForKeysym(key->keysym)->keyCode, code) << code;
        EXPECT_EQ(keyForQtKey(key->qtKey)->keyCode, code) << code;
    }
    EXPECT_EQ(keyForKeysym(0x53)->keyCode, 1u); // "S" as well as "s"
    for (quint32 bits = 0; bits <= CarbonModifier::all; bits += 256)
        EXPECT_EQ(carbonModifierMask(qtModifiers(bits)), bits & CarbonModifier::all);
    // Ctrl+Shift: ControlMask | ShiftMask; Super on the server's own Mod bit.
    EXPECT_EQ(xModifierMask(768), 0x5);
    EXPECT_EQ(xModifierMask(CarbonModifier::control | CarbonModifier::option, { 0x10, 0x80 }), 0x90);
}

}
