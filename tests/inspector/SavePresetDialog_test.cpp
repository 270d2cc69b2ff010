#include "InspectorTestKit.h"

#include "inspector/InspectorChip.h"
#include "inspector/InspectorPresetsButton.h"
#include "inspector/SavePresetDialog.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>

using SavePresetDialogTest = InspectorKit;

// Names typed through an input method, as no-break and ideographic spaces arrive.
TEST_F(SavePresetDialogTest, NamesWithNothingVisibleAreNotSaved)
{
    open();
    const auto typeAndSave = [&](const QString& name) {
        click(view->plusButton());
        SavePresetDialog* dialog = view->savePresetDialog();
        EXPECT_TRUE(dialog->isVisible());
        QInputMethodEvent typed;
        typed.setCommitString(name);
        QApplication::sendEvent(dialog->nameField(), &typed);
        click(dialog->saveButton());
        EXPECT_FALSE(dialog->isVisible());
    };
    for (const QString& name : { QStringLiteral("\u00A0\u00A0"), QStringLiteral("\u3000"), QStringLiteral(" \u200B\u2003\t"),
             QStringLiteral("\uFEFF"), QStringLiteral("\u00A0\n\u3000") })
        typeAndSave(name);
    EXPECT_TRUE(presets.presets().isEmpty());
    EXPECT_EQ(view->presetsButton()->text(), "Presets");

    // Such spaces inside a visible name are kept; only blanks and tabs are trimmed.
    typeAndSave(QStringLiteral("\u3000Café\u00A0"));
    ASSERT_EQ(presets.presets().size(), 1);
    EXPECT_EQ(presets.presets()[0].name, QStringLiteral("\u3000Café\u00A0"));
}
