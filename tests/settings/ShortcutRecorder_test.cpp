// The recorder driven by key presses as a person types them.
#include "SettingsKit.h"
#include "platform/KeyboardLayout.h"
#include "platform/Keys.h"
#include "settings/KeyCapView.h"
#include "settings/ShortcutRecorder.h"
#include "settings/ShortcutsTab.h"
#include "support/Wait.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

constexpr quint32 ctrlShift = CarbonModifier::command | CarbonModifier::shift;
constexpr quint32 ctrlAlt = CarbonModifier::command | CarbonModifier::option;

TEST(KeyCapViewTest, SplitsOnSpacesIntoCapsWithThenAsAPlainWord)
{
    using Piece = KeyCapView::Piece;
    EXPECT_EQ(KeyCapView::pieces("Alt+Print then Space"),
        (QList<Piece> { { "Alt+Print", true }, { "then", false }, { "Space", true } }));
    EXPECT_EQ(KeyCapView::pieces("Shift+Print"), (QList<Piece> { { "Shift+Print", true } }));
    EXPECT_EQ(KeyCapView::pieces("  A   THEN  B "), (QList<Piece> { { "A", true }, { "THEN", false }, { "B", true } }));
    EXPECT_EQ(KeyCapView::pieces("Then thenx"), (QList<Piece> { { "Then", false }, { "thenx", true } }));
    EXPECT_TRUE(KeyCapView::pieces("   ").isEmpty());

    KeyCapView view("Print then Space");
    view.resize(view.sizeHint());
    const QList<QRectF> rects = view.pieceRects();
    ASSERT_EQ(rects.size(), 3);
    EXPECT_GE(rects[0].width(), KeyCapView::capMinimum);
    EXPECT_NEAR(rects[1].left() - rects[0].right(), KeyCapView::spacing, 0.01);
    EXPECT_LE(rects[2].right(), view.width());
}

TEST(ShortcutsTabTest, TheDesktopsKeysAreTheOnesTheApplicationPresses)
{
    DesktopScreenshotKeys keys = DesktopScreenshotKeys::forDesktop(QString());
    keys.windowFollowUp = KeyChord { 0x20, 0 };
    const auto rows = ShortcutsTab::desktopRows(keys);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].second, "Shift+Print");
    EXPECT_EQ(rows[1].second, "Alt+Print then Space");
    EXPECT_EQ(rows[2].second, "Print");
}

struct RecorderTest : SettingsKit {
    void SetUp() override
    {
        SettingsKit::SetUp();
        window = std::make_unique<QWidget>();
        auto* column = new QVBoxLayout(window.get());
        field = new QLineEdit(window.get());
        column->addWidget(field);
        for (CaptureAction action : allCases<CaptureAction>) {
            recorders.append(new ShortcutRecorder(action, *store, hotkeys.get(), window.get()));
            column->addWidget(recorders.last());
        }
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        field->setFocus();
    }

    ShortcutRecorder* recorder(CaptureAction action) const { return recorders[int(action)]; }
    void click(ShortcutRecorder* r) { QTest::mouseClick(r->shortcutButton(), Qt::LeftButton); }
    // A key as the focused widget gets it; the recorder takes it before any window does.
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(field, key, modifiers); }
    // Keys QTest cannot type: pressed and let go as the platform would deliver them.
    void sendKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(field, &press);
        QApplication::sendEvent(field, &release);
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* field = nullptr;
    QList<ShortcutRecorder*> recorders;
};

TEST_F(RecorderTest, RecordsACombinationWithAModifierAndNothingElse)
{
    ShortcutRecorder* selection = recorder(CaptureAction::selection);
    EXPECT_EQ(selection->shortcutButton()->text(), "Ctrl+Shift+6");
    click(selection);
    ASSERT_TRUE(selection->isRecording());
    EXPECT_EQ(selection->shortcutButton()->text(), "Type shortcut…");
    // Our own grabs are let go while recording, so the combination reaches the recorder.
    EXPECT_TRUE(backend->active.empty());

    // A alone, Shift+A, a lone Ctrl, a key no hot key can use: ignored, recording goes on, and
    // nothing reaches the focused field.
    type(Qt::Key_A);
    type(Qt::Key_A, Qt::ShiftModifier);
    type(Qt::Key_Control, Qt::ControlModifier);
    sendKey(Qt::Key_unknown, Qt::ControlModifier);
    sendKey(Qt::Key_Dead_Circumflex, Qt::ControlModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_B, Qt::ControlModifier, QString(), true);
    QApplication::sendEvent(field, &repeat);
    EXPECT_TRUE(selection->isRecording());
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(store->shortcut(CaptureAction::selection), CaptureShortcut::defaultFor(CaptureAction::selection));

    type(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(selection->isRecording());
    EXPECT_EQ(store->shortcut(CaptureAction::selection), (CaptureShortcut { 0, ctrlShift, "A" }));
    EXPECT_EQ(selection->shortcutButton()->text(), "Ctrl+Shift+A");
    EXPECT_EQ(settings.dataValue("captureShortcut.selection"), CaptureShortcut({ 0, ctrlShift, "A" }).toJson());
    // Taken again, with the new one.
    EXPECT_EQ(held()["capture-selection"], std::make_pair(0u, ctrlShift));
    EXPECT_EQ(held().size(), 3u);

    // Keys reach the window again.
    type(Qt::Key_Z);
    EXPECT_EQ(field->text(), "z");
}

TEST_F(RecorderTest, EscCancelsResetKeepsRecordingAndHidingEndsIt)
{
    ShortcutRecorder* window_ = recorder(CaptureAction::window);
    store->setShortcut({ 1, ctrlAlt, "S" }, CaptureAction::window);
    click(window_);
    type(Qt::Key_Escape, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(window_->isRecording());
    EXPECT_EQ(store->shortcut(CaptureAction::window), (CaptureShortcut { 1, ctrlAlt, "S" }));
    EXPECT_EQ(held().size(), 3u);

    click(window_);
    QTest::mouseClick(window_->resetButton(), Qt::LeftButton);
    EXPECT_TRUE(window_->isRecording());
    EXPECT_EQ(store->shortcut(CaptureAction::window), CaptureShortcut::defaultFor(CaptureAction::window));
    EXPECT_TRUE(backend->active.empty()); // still recording: still let go

    // A second click ends it; so does hiding the recorder (its window closing).
    click(window_);
    EXPECT_FALSE(window_->isRecording());
    click(window_);
    window->hide();
    EXPECT_FALSE(window_->isRecording());
    EXPECT_EQ(held().size(), 3u);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    field->setFocus();
    type(Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(store->shortcut(CaptureAction::window), CaptureShortcut::defaultFor(CaptureAction::window));
}

TEST_F(RecorderTest, AnotherWindowTakingTheFocusEndsRecording)
{
    ShortcutRecorder* full = recorder(CaptureAction::fullScreen);
    click(full);
    ASSERT_TRUE(full->isRecording());
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    EXPECT_FALSE(full->isRecording());
    EXPECT_EQ(held().size(), 3u);
}

TEST_F(RecorderTest, ACombinationInUseIsRefusedAndSaysWhere)
{
    ShortcutRecorder* selection = recorder(CaptureAction::selection);
    QStringList notices;
    QObject::connect(selection, &ShortcutRecorder::noticeChanged, [&](const QString& n) { notices << n; });

    // Another capture action's combination: refused, recording goes on.
    click(selection);
    type(Qt::Key_7, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(selection->isRecording());
    EXPECT_EQ(selection->notice(), "Already used by “Capture a window”");
    EXPECT_EQ(store->shortcut(CaptureAction::selection), CaptureShortcut::defaultFor(CaptureAction::selection));

    // One another program holds: the grab fails, so the previous binding stays and keeps working.
    backend->refused.insert({ 25, ctrlAlt });
    type(Qt::Key_9, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(selection->isRecording());
    EXPECT_EQ(selection->notice(), "Already used by another program");
    EXPECT_EQ(store->shortcut(CaptureAction::selection), CaptureShortcut::defaultFor(CaptureAction::selection));
    EXPECT_EQ(held()["capture-selection"], std::make_pair(22u, ctrlShift));
    if (qEnvironmentVariableIsSet("LUMAFORGE_LOOK"))
        window->grab().save(QString::fromLocal8Bit(qgetenv("LUMAFORGE_LOOK")) + "/recorder-refused.png");

    // A fresh recording clears what was said.
    click(selection);
    EXPECT_TRUE(selection->notice().isEmpty());
    type(Qt::Key_Escape);
}

// A keypad key keeps its own position; a key the layout gives no text is shown as "?".
struct EmptyLabels final : KeyboardLayout {
    std::optional<QString> label(quint32) const override { return QString(); }
};

TEST_F(RecorderTest, KeypadKeysAndKeysWithoutTextAreStoredByPosition)
{
    ShortcutRecorder* full = recorder(CaptureAction::fullScreen);
    click(full);
    type(Qt::Key_1, Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(store->shortcut(CaptureAction::fullScreen), (CaptureShortcut { 83, ctrlAlt, "Num 1" }));

    EmptyLabels layout;
    KeyboardLayout::setShared(&layout);
    click(full);
    type(Qt::Key_F5, Qt::ControlModifier);
    KeyboardLayout::setShared(nullptr);
    EXPECT_EQ(store->shortcut(CaptureAction::fullScreen), (CaptureShortcut { 96, CarbonModifier::command, "?" }));
}

TEST(RecorderStoreTest, ACorruptStoredShortcutShowsTheDefault)
{
    FakeSettingsStore settings;
    settings.setValue("captureShortcut.selection", QByteArray("{\"keyCode\": 1, \"carbonModif"));
    CaptureShortcutStore store(settings);
    ShortcutRecorder recorder(CaptureAction::selection, store, nullptr);
    EXPECT_EQ(recorder.shortcutButton()->text(), "Ctrl+Shift+6");
}

}
