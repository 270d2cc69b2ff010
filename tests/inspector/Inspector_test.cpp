#include "InspectorTestKit.h"

#include "inspector/Inspector.h"

#include <cmath>
#include <limits>

// Read-outs: each slider has its own rounding, and extreme model values must not break them.
TEST(Inspector, SliderReadoutsRoundEachTheirOwnWay)
{
    EXPECT_EQ(Inspector::paddingText(17.9), "17%");
    EXPECT_EQ(Inspector::paddingText(39.99), "39%");
    EXPECT_EQ(Inspector::paddingText(18), "18%");
    EXPECT_EQ(Inspector::radiusText(16.5), "17");
    EXPECT_EQ(Inspector::radiusText(0.5), "1");
    EXPECT_EQ(Inspector::radiusText(16.49), "16");
    EXPECT_EQ(Inspector::hundredthsText(0.289), "28");
    EXPECT_EQ(Inspector::hundredthsText(0.29), "28"); // 0.29 * 100 lies just below 29
    EXPECT_EQ(Inspector::hundredthsText(0.7), "70");
    EXPECT_EQ(Inspector::hundredthsText(0.6), "60");
    EXPECT_EQ(Inspector::hundredthsText(1.0), "100");
    // Stored styles can hold anything: no crash, no sign, no garbage.
    EXPECT_EQ(Inspector::hundredthsText(-0.3), "30");
    EXPECT_EQ(Inspector::paddingText(std::nan("")), "0%");
    EXPECT_EQ(Inspector::radiusText(std::numeric_limits<double>::infinity()), "9223372036854775807");
    EXPECT_EQ(Inspector::hundredthsText(-std::numeric_limits<double>::infinity()), "9223372036854775807");
}

TEST(Inspector, CropCountsFromATenthOfAPercent)
{
    BeautifySettings s;
    EXPECT_FALSE(Inspector::isCropped(s));
    s.cropRect = QRectF(0.0005, 0, 1, 1);
    EXPECT_FALSE(Inspector::isCropped(s));
    s.cropRect = QRectF(0.002, 0, 0.998, 1);
    EXPECT_TRUE(Inspector::isCropped(s));
    s.cropRect = QRectF(0, 0, 1, 0.9985);
    EXPECT_TRUE(Inspector::isCropped(s));
    // A rectangle stored inverted is the same crop as its standardised form.
    s.cropRect = QRectF(1, 1, -1, -1);
    EXPECT_FALSE(Inspector::isCropped(s));
}

TEST(Inspector, TrimsBlanksAndTabsOnly)
{
    EXPECT_EQ(Inspector::trimBlanks(QStringLiteral(" \t Launch post \t ")), "Launch post");
    EXPECT_EQ(Inspector::trimBlanks(QStringLiteral("\nLaunch\n")), "\nLaunch\n");
    EXPECT_EQ(Inspector::trimBlanks(QStringLiteral(" \n ")), "\n");
    EXPECT_EQ(Inspector::trimBlanks(QStringLiteral("\u00a0name")), QStringLiteral("\u00a0name"));
    EXPECT_EQ(Inspector::trimBlanks(QStringLiteral(" \t\t ")), "");
}

TEST(Inspector, CaptionsAndNotes)
{
    EXPECT_EQ(Inspector::backgroundCaption(BackgroundPreset::none), "None");
    EXPECT_EQ(Inspector::backgroundCaption(BackgroundPreset::rosegold), "Rosegold");
    EXPECT_EQ(Inspector::backgroundCaption(BackgroundPreset::snow), "Snow");
    EXPECT_EQ(Inspector::manualRedactionNote(0), "Tip: use the Blur tool to hide any area yourself.");
    EXPECT_EQ(Inspector::manualRedactionNote(1), "1 drawn · Select to drag, Delete to delete.");
    EXPECT_EQ(Inspector::manualRedactionNote(12), "12 drawn · Select to drag, Delete to delete.");
}

using InspectorRules = InspectorKit;

TEST_F(InspectorRules, MenuTitleFollowsTheThreeRules)
{
    open();
    Inspector& inspector = view->inspector();
    EXPECT_EQ(inspector.presetsMenuTitle(), "Presets");

    BeautifySettings bold = BeautifySettings::defaults();
    bold.padding = 30;
    presets.add(QStringLiteral("Bold"), bold);
    presets.add(QStringLiteral("Bold twin"), bold);
    presets.add(QStringLiteral("Plain"), BeautifySettings::defaults());
    // Rule 2: the first preset whose style equals the document's.
    EXPECT_EQ(inspector.presetsMenuTitle(), "Plain");
    doc->setSettings(bold);
    EXPECT_EQ(inspector.presetsMenuTitle(), "Bold");

    // Rule 1: the selected name wins while a preset of exactly that name exists, whatever the style.
    doc->setSelectedPresetName(QStringLiteral("Bold twin"));
    BeautifySettings moved = bold;
    moved.shadow = 0.1;
    doc->setSettings(moved);
    EXPECT_EQ(inspector.presetsMenuTitle(), "Bold twin");
    doc->setSelectedPresetName(QStringLiteral("bold twin")); // case matters
    EXPECT_EQ(inspector.presetsMenuTitle(), "Presets");       // and `moved` equals no preset
    doc->setSettings(bold);
    EXPECT_EQ(inspector.presetsMenuTitle(), "Bold");
}

TEST_F(InspectorRules, SavingStoresUnderTheTrimmedNameWithoutAnUndoStep)
{
    open();
    Inspector& inspector = view->inspector();
    const int undo = doc->undoCount();
    EXPECT_TRUE(inspector.savePreset(QStringLiteral("\t Launch \t")));
    ASSERT_EQ(presets.presets().size(), 1);
    EXPECT_EQ(presets.presets()[0].name, "Launch");
    EXPECT_EQ(doc->selectedPresetName(), QStringLiteral("Launch"));
    EXPECT_EQ(doc->undoCount(), undo);

    // Blank names store nothing and leave the selection alone.
    EXPECT_FALSE(inspector.savePreset(QStringLiteral(" \t ")));
    EXPECT_FALSE(inspector.savePreset(QString()));
    EXPECT_EQ(presets.presets().size(), 1);
    EXPECT_EQ(doc->selectedPresetName(), QStringLiteral("Launch"));

    // The same name replaces in place, keeping id and position.
    presets.add(QStringLiteral("Other"), BeautifySettings::defaults());
    const QUuid id = presets.presets()[0].id;
    BeautifySettings changed = doc->settings();
    changed.radius = 3;
    doc->setSettings(changed);
    EXPECT_TRUE(inspector.savePreset(QStringLiteral("Launch ")));
    ASSERT_EQ(presets.presets().size(), 2);
    EXPECT_EQ(presets.presets()[0].id, id);
    EXPECT_EQ(presets.presets()[0].settings.radius, 3);
    EXPECT_EQ(doc->undoCount(), undo);

    // Line breaks are part of a name.
    EXPECT_TRUE(inspector.savePreset(QStringLiteral(" two\nlines ")));
    EXPECT_EQ(presets.presets().last().name, "two\nlines");
}

TEST_F(InspectorRules, KindsListedInCaseOrderOnlyWithCounts)
{
    const DetectionResult found {
        { RedactionKind::ip, { QRectF(0.1, 0.1, 0.1, 0.02) } },
        { RedactionKind::email, { QRectF(0.1, 0.3, 0.2, 0.02), QRectF(0.1, 0.5, 0.2, 0.02) } },
        { RedactionKind::card, {} },
    };
    open(BeautifySettings::defaults(), found);
    Inspector& inspector = view->inspector();
    EXPECT_EQ(inspector.listedKinds(), (QList<RedactionKind> { RedactionKind::email, RedactionKind::ip }));
    EXPECT_TRUE(inspector.showsRedactionSection());
    EXPECT_FALSE(inspector.showsRedactionStyleControls());

    open(); // nothing detected
    EXPECT_TRUE(view->inspector().listedKinds().isEmpty());
    EXPECT_FALSE(view->inspector().showsRedactionSection());
    doc->setManualRedactions({ QRectF(0.2, 0.2, 0.1, 0.1) });
    EXPECT_TRUE(view->inspector().showsRedactionSection());
    EXPECT_TRUE(view->inspector().showsRedactionStyleControls());
}
