// A preset applied from the inspector's menu in the assembled editor window: the kinds of
// sensitive text it hides join those hidden now; a kind the user switched off stays off unless
// the preset hides it.
#include "editor_window/EditorWindowKit.h"

#include "editor_window/EditorToolbar.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorPresetsButton.h"
#include "inspector/InspectorRedactionSection.h"
#include "inspector/InspectorView.h"
#include "support/Wait.h"

#include <QMenu>
#include <QScrollArea>

TEST_F(EditorWindowKit, APresetFromTheMenuHidesItsKindsAndKeepsTheOnesSwitchedOffOff)
{
    const QRectF email(0.1, 0.1, 0.3, 0.05), phone(0.1, 0.3, 0.3, 0.05), ip(0.1, 0.5, 0.3, 0.05);
    BeautifySettings found = BeautifySettings::defaults();
    found.redactKinds = { RedactionKind::email, RedactionKind::phone, RedactionKind::ip };
    view.reset();
    doc = std::shared_ptr<EditorDocument>(makeDocument(scan,
        DetectionResult { { RedactionKind::email, { email } }, { RedactionKind::phone, { phone } },
            { RedactionKind::ip, { ip } } },
        found));
    makeView();

    // The user shows the phone number and the address again.
    InspectorRedactionSection* section = view->inspector()->redactionSection();
    auto* scroll = view->inspector()->findChild<QScrollArea*>();
    ASSERT_TRUE(scroll);
    for (const RedactionKind kind : { RedactionKind::phone, RedactionKind::ip }) {
        InspectorCheckbox* row = section->row(kind);
        ASSERT_TRUE(row);
        scroll->ensureWidgetVisible(row);
        QCoreApplication::processEvents();
        click(centreOf(row));
    }
    ASSERT_EQ(doc->settings().redactKinds, std::set<RedactionKind> { RedactionKind::email });

    // A preset that hides addresses and nothing else.
    BeautifySettings saved = BeautifySettings::defaults();
    saved.background = BackgroundPreset::snow;
    saved.redactKinds = { RedactionKind::ip };
    presets.add(QStringLiteral("Addresses hidden"), saved);
    click(centreOf(view->inspector()->presetsButton()));
    QMenu* menu = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; }));
    QAction* item = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("Addresses hidden"))
            item = action;
    ASSERT_TRUE(item);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());

    EXPECT_EQ(doc->settings().background, BackgroundPreset::snow);
    EXPECT_EQ(doc->settings().redactKinds, (std::set<RedactionKind> { RedactionKind::email, RedactionKind::ip }));
    QList<QRectF> hidden = doc->redactionRects();
    std::sort(hidden.begin(), hidden.end(), [](const QRectF& a, const QRectF& b) { return a.y() < b.y(); });
    EXPECT_EQ(hidden, (QList<QRectF> { email, ip }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(section->row(RedactionKind::email)->isOn());
    EXPECT_FALSE(section->row(RedactionKind::phone)->isOn());
    EXPECT_TRUE(section->row(RedactionKind::ip)->isOn());

    // One undo brings back the style and the kinds as they were before the preset.
    click(centreOf(view->toolbar()->undoButton()));
    EXPECT_EQ(doc->settings().redactKinds, std::set<RedactionKind> { RedactionKind::email });
}
