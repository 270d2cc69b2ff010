// The Shortcuts tab of the settings window, driven by clicks and key presses as a person makes
// them: the refusals Reset must give, the notes under the rows, and keys outside the usual ones.
#include "SettingsKit.h"
#include "platform/Keys.h"
#include "settings/ShortcutRecorder.h"
#include "settings/ShortcutsTab.h"
#include "support/Wait.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

namespace {

constexpr quint32 ctrlShift = CarbonModifier::command | CarbonModifier::shift;
constexpr quint32 ctrlAlt = CarbonModifier::command | CarbonModifier::option;

struct SettingsShortcuts : SettingsKit {
    void SetUp() override
    {
        SettingsKit::SetUp();
        view = makeView();
        view->setCurrentTab(PreferencesView::shortcuts);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        tab = static_cast<ShortcutsTab*>(view->tab(PreferencesView::shortcuts));
    }

    ShortcutRecorder* recorder(CaptureAction action) const { return tab->recorders()[int(action)]; }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(view.get(), key, modifiers); }
    // Keys QTest cannot type (Print, media keys): pressed and let go as the platform delivers them.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = view->focusWidget() ? view->focusWidget() : view.get();
        QKeyEvent down(QEvent::KeyPress, key, modifiers);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(target, &down);
        QApplication::sendEvent(target, &up);
    }
    // The line under an action's row, as shown.
    QString note(CaptureAction action) const
    {
        auto* label = view->findChild<QLabel*>("notice-" + rawValue(action));
        return label && !label->isHidden() ? label->text() : QString();
    }
    // Which handlers a press of each held key runs.
    QStringList fired(quint32 keyCode, quint32 modifiers)
    {
        QStringList out;
        for (const auto& [id, registration] : backend->active) {
            if (registration.keyCode == keyCode && registration.modifiers == modifiers)
                out << registration.name;
        }
        return out;
    }

    std::unique_ptr<PreferencesView> view;
    ShortcutsTab* tab = nullptr;
};

TEST_F(SettingsShortcuts, ResetRefusesAKeyAnotherActionHasSoOnePressStartsOneCapture)
{
    // The window capture moved away, the selection took its default, then the window capture is
    // reset: refused, typed or by Reset alike.
    click(recorder(CaptureAction::window)->shortcutButton());
    type(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    click(recorder(CaptureAction::selection)->shortcutButton());
    type(Qt::Key_7, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(store->shortcut(CaptureAction::selection), (CaptureShortcut { 26, ctrlShift, "7" }));

    click(recorder(CaptureAction::window)->resetButton());
    EXPECT_EQ(note(CaptureAction::window), "Already used by “Capture selection”");
    EXPECT_EQ(store->shortcut(CaptureAction::window), (CaptureShortcut { 1, ctrlAlt, "S" }));
    EXPECT_EQ(fired(26, ctrlShift), QStringList { "capture-selection" });
    EXPECT_EQ(fired(1, ctrlAlt), QStringList { "capture-window" });

    // The same while recording: refused, recording goes on, and Esc drops the note.
    click(recorder(CaptureAction::window)->shortcutButton());
    click(recorder(CaptureAction::window)->resetButton());
    EXPECT_TRUE(recorder(CaptureAction::window)->isRecording());
    EXPECT_EQ(note(CaptureAction::window), "Already used by “Capture selection”");
    type(Qt::Key_Escape);
    EXPECT_EQ(note(CaptureAction::window), QString());
    EXPECT_EQ(store->shortcut(CaptureAction::window), (CaptureShortcut { 1, ctrlAlt, "S" }));
    EXPECT_EQ(held().size(), 3u);
}

TEST_F(SettingsShortcuts, StoredDuplicatesFromBeforeGiveTheKeyToTheFirstActionOnly)
{
    settings.setValue("captureShortcut.fullScreen", CaptureShortcut::defaultFor(CaptureAction::selection).toJson());
    makeHotkeys();
    EXPECT_EQ(fired(22, ctrlShift), QStringList { "capture-selection" });
    EXPECT_EQ(held().size(), 2u);
}

TEST_F(SettingsShortcuts, ResetWhileRecordingAsksTheServerFirstAndNeverShowsADeadKey)
{
    ShortcutRecorder* window = recorder(CaptureAction::window);
    click(window->shortcutButton());
    type(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    // Another program has taken Ctrl+Shift+7 since.
    backend->refused.insert({ 26, ctrlShift });

    click(window->shortcutButton());
    click(window->resetButton());
    EXPECT_TRUE(window->isRecording());
    EXPECT_EQ(note(CaptureAction::window), "Already used by another program");
    EXPECT_EQ(window->shortcutButton()->text(), "Type shortcut…");
    type(Qt::Key_Escape);
    EXPECT_EQ(window->shortcutButton()->text(), "Ctrl+Alt+S");
    EXPECT_EQ(note(CaptureAction::window), QString()) << "the row shows its working key again";
    EXPECT_EQ(held()["capture-window"], std::make_pair(1u, ctrlAlt));

    // Free again: Reset while recording takes it, and it is held once recording ends.
    backend->refused.clear();
    click(window->shortcutButton());
    click(window->resetButton());
    EXPECT_EQ(note(CaptureAction::window), QString());
    type(Qt::Key_Escape);
    EXPECT_EQ(held()["capture-window"], std::make_pair(26u, ctrlShift));
}

TEST_F(SettingsShortcuts, EscDropsTheAlreadyUsedNoteOfTheKeyThatWasNotTaken)
{
    ShortcutRecorder* selection = recorder(CaptureAction::selection);
    click(selection->shortcutButton());
    type(Qt::Key_8, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(note(CaptureAction::selection), "Already used by “Capture full screen”");
    type(Qt::Key_Escape);
    EXPECT_FALSE(selection->isRecording());
    EXPECT_EQ(selection->shortcutButton()->text(), "Ctrl+Shift+6");
    EXPECT_EQ(note(CaptureAction::selection), QString());

    // So does ending it with a second click.
    click(selection->shortcutButton());
    type(Qt::Key_7, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(note(CaptureAction::selection).isEmpty());
    click(selection->shortcutButton());
    EXPECT_EQ(note(CaptureAction::selection), QString());
}

TEST_F(SettingsShortcuts, PrintPauseAndMediaKeysAreRecordedAndOthersAreSaidToBeUnusable)
{
    ShortcutRecorder* full = recorder(CaptureAction::fullScreen);
    click(full->shortcutButton());
    // A key no hot key can take, with a modifier: said so, recording goes on.
    press(Qt::Key_Eject, Qt::ControlModifier);
    EXPECT_TRUE(full->isRecording());
    EXPECT_EQ(note(CaptureAction::fullScreen), "This key can't be used");
    // Modifiers on their own, or a key without one, say nothing more.
    press(Qt::Key_Shift, Qt::ShiftModifier | Qt::ControlModifier);
    press(Qt::Key_Print);
    EXPECT_TRUE(full->isRecording());

    press(Qt::Key_Print, Qt::ControlModifier);
    EXPECT_FALSE(full->isRecording());
    EXPECT_EQ(note(CaptureAction::fullScreen), QString());
    EXPECT_EQ(full->shortcutButton()->text(), "Ctrl+Print");
    EXPECT_EQ(held()["capture-full-screen"], std::make_pair(0x10000u + 99, quint32(CarbonModifier::command)));

    for (auto [key, text] : { std::pair { Qt::Key_Pause, "Alt+Pause" }, std::pair { Qt::Key_Menu, "Alt+Menu" },
             std::pair { Qt::Key_MediaPlay, "Alt+Play" } }) {
        click(full->shortcutButton());
        press(key, Qt::AltModifier);
        EXPECT_EQ(full->shortcutButton()->text(), text);
    }
}

}
