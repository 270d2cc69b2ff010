#include "InspectorTestKit.h"

#include "inspector/BackgroundSwatchGrid.h"
#include "inspector/InspectorAspectSection.h"
#include "inspector/InspectorBackgroundSection.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorField.h"
#include "inspector/InspectorFrameSection.h"
#include "inspector/InspectorImageSection.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorRedactionSection.h"
#include "inspector/InspectorStyleSection.h"
#include "render/BackgroundView.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QShortcut>

using InspectorSections = InspectorKit;

TEST_F(InspectorSections, SliderDragIsOneUndoStepWrittenOnEveryMove)
{
    open();
    LumaSlider* padding = view->styleSection()->paddingSlider();
    EXPECT_EQ(padding->readout(), "18%");
    const int undo = doc->undoCount();
    QSignalSpy writes(doc.get(), &EditorDocument::settingsChanged);
    drag(padding, 0.45, 0.75, 8);
    EXPECT_EQ(doc->undoCount(), undo + 1);
    EXPECT_GE(writes.count(), 8);
    EXPECT_NEAR(style().padding, 30, 0.5);
    EXPECT_EQ(padding->readout(), Inspector::paddingText(style().padding));
    doc->undo();
    EXPECT_EQ(style().padding, 18);
    // The model's value shows without the slider writing it back.
    EXPECT_EQ(padding->value(), 18);
    EXPECT_EQ(doc->undoCount(), undo);

    // Two drags are two steps.
    drag(view->styleSection()->shadowSlider(), 0.7, 0.3);
    drag(view->styleSection()->radiusSlider(), 0.4, 0.1);
    EXPECT_EQ(doc->undoCount(), undo + 2);
}

TEST_F(InspectorSections, ResetIsOneStepWrittenFieldByField)
{
    BeautifySettings s = BeautifySettings::defaults();
    s.padding = 31;
    s.radius = 4;
    s.shadow = 0.1;
    s.background = BackgroundPreset::ocean;
    s.flipV = true;
    s.cropRect = QRectF(0.1, 0.1, 0.5, 0.5);
    open(s);
    doc->setSelectedPresetName(QStringLiteral("Mine"));
    const int undo = doc->undoCount();
    QSignalSpy writes(doc.get(), &EditorDocument::settingsChanged);
    click(view->styleSection()->resetButton());
    EXPECT_EQ(writes.count(), 3);
    EXPECT_EQ(doc->undoCount(), undo + 1);
    BeautifySettings expected = s;
    expected.padding = 18;
    expected.radius = 16;
    expected.shadow = 0.7;
    EXPECT_EQ(style(), expected);
    EXPECT_EQ(doc->selectedPresetName(), QStringLiteral("Mine"));
    doc->undo();
    EXPECT_EQ(style(), s);

    // Already at the defaults: still one step, nothing visible changes.
    open();
    const int before = doc->undoCount();
    click(view->styleSection()->resetButton());
    EXPECT_EQ(doc->undoCount(), before + 1);
    EXPECT_EQ(style(), BeautifySettings::defaults());
}

TEST_F(InspectorSections, ImageButtonsTakeAStepEachAndCropLineFollows)
{
    open();
    InspectorImageSection* image = view->imageSection();
    const int undo = doc->undoCount();
    click(image->flipHChip());
    EXPECT_TRUE(style().flipH);
    EXPECT_TRUE(image->flipHChip()->isSelected());
    click(image->flipHChip());
    EXPECT_FALSE(style().flipH);
    EXPECT_EQ(doc->undoCount(), undo + 2);
    click(image->flipVChip());
    EXPECT_TRUE(style().flipV);

    click(image->removeBackgroundToggle());
    EXPECT_TRUE(style().removeBackground);
    EXPECT_TRUE(image->removeBackgroundToggle()->isOn());
    EXPECT_EQ(doc->undoCount(), undo + 4);
    doc->undo();
    EXPECT_FALSE(style().removeBackground);
    EXPECT_FALSE(image->removeBackgroundToggle()->isOn());

    EXPECT_TRUE(image->croppedLine()->isHidden());
    EXPECT_FALSE(image->cropHint()->isHidden());
    BeautifySettings cropped = style();
    cropped.cropRect = QRectF(0.002, 0, 0.998, 1);
    doc->setSettings(cropped); // the crop tool's write
    EXPECT_FALSE(image->croppedLine()->isHidden());
    EXPECT_TRUE(image->cropHint()->isHidden());
    const int beforeReset = doc->undoCount();
    click(image->resetCropButton());
    EXPECT_EQ(style().cropRect, QRectF(0, 0, 1, 1));
    EXPECT_EQ(doc->undoCount(), beforeReset + 1);
    EXPECT_TRUE(image->croppedLine()->isHidden());
    doc->undo();
    EXPECT_FALSE(image->croppedLine()->isHidden());
}

TEST_F(InspectorSections, SwatchesInOrderAndEveryTapIsAStep)
{
    open();
    clickSegment(view->tabSwitcher(), 1);
    BackgroundSwatchGrid* grid = view->backgroundSection()->grid();
    ASSERT_EQ(grid->cellCount(), 66);
    // 17 rows of four, the last holding two; cells run left to right.
    EXPECT_EQ(grid->cellRect(64).top(), grid->cellRect(65).top());
    EXPECT_LT(grid->cellRect(63).top(), grid->cellRect(64).top());
    EXPECT_EQ(grid->cellRect(64).left(), grid->cellRect(0).left());
    EXPECT_NEAR(grid->swatchRect(5).width(), grid->swatchRect(5).height(), 0.01);

    const int undo = doc->undoCount();
    const QRectF last = grid->cellRect(65);
    // The caption takes the tap like the swatch above it.
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPointF(last.center().x(), last.bottom() - 3).toPoint());
    EXPECT_EQ(style().background, BackgroundPreset::snow);
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->swatchRect(0).center().toPoint());
    EXPECT_EQ(style().background, BackgroundPreset::none);
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->swatchRect(0).center().toPoint()); // the current one again
    EXPECT_EQ(doc->undoCount(), undo + 3);
    // A gap between cells belongs to no preset.
    const QPointF gap((grid->cellRect(0).right() + grid->cellRect(1).left()) / 2, grid->cellRect(0).center().y());
    QTest::mouseClick(grid, Qt::LeftButton, {}, gap.toPoint());
    EXPECT_EQ(doc->undoCount(), undo + 3);
    doc->undo();
    doc->undo();
    EXPECT_EQ(style().background, BackgroundPreset::snow);
    EXPECT_EQ(doc->selectedPresetName(), std::nullopt);
}

TEST_F(InspectorSections, SwatchesPaintFromTheCanvasBackgroundPainterWithARing)
{
    open();
    clickSegment(view->tabSwitcher(), 1);
    BackgroundSwatchGrid* grid = view->backgroundSection()->grid();
    const QImage shown = grid->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const int index = int(caseIndex(BackgroundPreset::ocean));
    const QRectF swatch = grid->swatchRect(index);
    const int side = int(swatch.width());
    const QImage own = BackgroundSwatchGrid::swatchPixmap(BackgroundPreset::ocean, ColorScheme::light, side, 1).toImage();
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&canvas);
        paintBackground(p, QRectF(0, 0, side, side), BackgroundPreset::ocean, ColorScheme::light);
    }
    const QPoint centre(side / 2, side / 2);
    EXPECT_EQ(own.pixelColor(centre).rgb(), canvas.pixelColor(centre).rgb());
    EXPECT_EQ(shown.pixelColor(swatch.topLeft().toPoint() + centre).rgb(), canvas.pixelColor(centre).rgb());

    // The selected swatch (sunset, the default) carries the accent ring at its edge.
    const QRectF selected = grid->swatchRect(int(caseIndex(BackgroundPreset::sunset)));
    const QColor ring = shown.pixelColor(QPoint(int(selected.center().x()), int(selected.top()) + 1));
    EXPECT_GT(ring.blue(), ring.green() + 60); // accent purple, not the gradient's edge
}

TEST_F(InspectorSections, FrameControlsShowPerStateAndURLTypingRecordsNothing)
{
    open();
    InspectorFrameSection* frame = view->frameSection();
    EXPECT_TRUE(frame->urlToggle()->isHidden());
    EXPECT_TRUE(frame->urlField()->isHidden());

    const int undo = doc->undoCount();
    clickSegment(frame->framePicker(), 1);
    EXPECT_EQ(style().windowFrame, WindowFrameStyle::light);
    EXPECT_FALSE(frame->urlToggle()->isHidden());
    EXPECT_TRUE(frame->urlField()->isHidden());
    clickSegment(frame->framePicker(), 1); // the selected segment again
    EXPECT_EQ(doc->undoCount(), undo + 2);

    click(frame->urlToggle());
    EXPECT_TRUE(style().showURL);
    EXPECT_FALSE(frame->urlField()->isHidden());
    EXPECT_EQ(doc->undoCount(), undo + 3);

    QSignalSpy writes(doc.get(), &EditorDocument::settingsChanged);
    QTest::keyClicks(frame->urlField(), QStringLiteral("lumaforge.app"));
    EXPECT_EQ(style().urlText, "lumaforge.app");
    EXPECT_EQ(writes.count(), 13); // one write per keystroke
    EXPECT_EQ(doc->undoCount(), undo + 3);
    // Typing mid-text keeps the cursor where the person types.
    frame->urlField()->setCursorPosition(9);
    QTest::keyClicks(frame->urlField(), QStringLiteral("x"));
    EXPECT_EQ(style().urlText, "lumaforgex.app");
    EXPECT_EQ(frame->urlField()->cursorPosition(), 10);

    // Undo restores the last recorded step, the old (empty) address included.
    doc->undo();
    EXPECT_EQ(style().urlText, "");
    EXPECT_EQ(frame->urlField()->text(), "");
    EXPECT_FALSE(style().showURL);

    // Hiding the frame keeps the address bar's values.
    click(frame->urlToggle());
    QTest::keyClicks(frame->urlField(), QStringLiteral("a.b"));
    clickSegment(frame->framePicker(), 0);
    EXPECT_TRUE(frame->urlToggle()->isHidden());
    EXPECT_TRUE(style().showURL);
    EXPECT_EQ(style().urlText, "a.b");
    clickSegment(frame->framePicker(), 2);
    EXPECT_EQ(frame->urlField()->text(), "a.b");
}

TEST_F(InspectorSections, FormatChipsAndRatiosShareOneSelection)
{
    open();
    InspectorAspectSection* aspect = view->aspectSection();
    ASSERT_EQ(aspect->formatChips().size(), 8);
    EXPECT_EQ(aspect->formatChips()[7]->text(), "Snapchat");
    const int undo = doc->undoCount();

    click(aspect->formatChips()[7]);
    EXPECT_EQ(style().aspect, AspectRatioOption::snapchat);
    EXPECT_TRUE(aspect->formatChips()[7]->isSelected());
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(aspect->ratioPicker()->isSelected(i)) << i;
    click(aspect->formatChips()[7]); // already selected
    EXPECT_EQ(doc->undoCount(), undo + 2);

    clickSegment(aspect->ratioPicker(), 4);
    EXPECT_EQ(style().aspect, AspectRatioOption::r1_1);
    EXPECT_TRUE(aspect->ratioPicker()->isSelected(4));
    for (InspectorChip* chip : aspect->formatChips())
        EXPECT_FALSE(chip->isSelected());
    clickSegment(aspect->ratioPicker(), 4);
    EXPECT_EQ(doc->undoCount(), undo + 4);

    click(aspect->balanceToggle());
    EXPECT_FALSE(style().balance);
    EXPECT_EQ(doc->undoCount(), undo + 5);
    doc->undo();
    EXPECT_TRUE(style().balance);
    EXPECT_TRUE(aspect->balanceToggle()->isOn());
}

TEST_F(InspectorSections, KindRowsToggleWithoutUndoAndStyleControlsFollow)
{
    const DetectionResult found {
        { RedactionKind::ip, { QRectF(0.5, 0.1, 0.1, 0.02) } },
        { RedactionKind::email, { QRectF(0.1, 0.3, 0.2, 0.02), QRectF(0.1, 0.5, 0.2, 0.02) } },
    };
    open(BeautifySettings::defaults(), found);
    InspectorRedactionSection* section = view->redactionSection();
    EXPECT_EQ(section->listedKinds(), (QList<RedactionKind> { RedactionKind::email, RedactionKind::ip }));
    EXPECT_EQ(section->row(RedactionKind::email)->text(), "Emails");
    EXPECT_EQ(section->row(RedactionKind::email)->trailingText(), "2");
    EXPECT_EQ(section->row(RedactionKind::ip)->text(), "IP addresses");
    EXPECT_TRUE(section->styleControls()->isHidden());
    EXPECT_EQ(section->note()->text(), "Tip: use the Blur tool to hide any area yourself.");

    const int undo = doc->undoCount();
    // The row's far end (the count) takes the tap too.
    InspectorCheckbox* email = section->row(RedactionKind::email);
    QTest::mouseClick(email, Qt::LeftButton, {}, QPoint(email->width() - 3, email->height() / 2));
    EXPECT_EQ(style().redactKinds, std::set<RedactionKind> { RedactionKind::email });
    EXPECT_EQ(doc->redactionRects().size(), 2);
    EXPECT_TRUE(section->row(RedactionKind::email)->isOn());
    EXPECT_FALSE(section->styleControls()->isHidden());
    EXPECT_EQ(doc->undoCount(), undo);

    // Style buttons: a step per press, also for the selected one; Block hides the slider and
    // keeps the stored intensity.
    click(section->styleButtons()[0]);
    EXPECT_EQ(doc->undoCount(), undo + 1);
    click(section->styleButtons()[2]);
    EXPECT_EQ(style().redactStyle, RedactStyle::block);
    EXPECT_TRUE(section->intensitySlider()->isHidden());
    EXPECT_EQ(style().redactIntensity, 0.6);
    click(section->styleButtons()[1]);
    EXPECT_FALSE(section->intensitySlider()->isHidden());
    EXPECT_EQ(section->intensitySlider()->readout(), "60");
    EXPECT_EQ(doc->undoCount(), undo + 3);

    drag(section->intensitySlider(), 0.6, 0.9);
    EXPECT_EQ(section->intensitySlider()->readout(), Inspector::hundredthsText(style().redactIntensity));
    EXPECT_NEAR(style().redactIntensity, 0.9, 0.02);
    EXPECT_EQ(doc->undoCount(), undo + 4);

    // A kind switch rides along with the last recorded step when undone.
    click(section->row(RedactionKind::ip));
    EXPECT_EQ(doc->redactionRects().size(), 3);
    doc->undo();
    EXPECT_EQ(style().redactKinds, std::set<RedactionKind> { RedactionKind::email });
    EXPECT_EQ(doc->redactionRects().size(), 2);
    EXPECT_FALSE(section->row(RedactionKind::ip)->isOn());

    doc->setManualRedactions({ QRectF(0.1, 0.1, 0.1, 0.1), QRectF(0.5, 0.5, 0.1, 0.1) });
    EXPECT_EQ(section->note()->text(), "2 drawn · Select to drag, Delete to delete.");
}

TEST_F(InspectorSections, HandDrawnAreasAloneShowTheStyleControls)
{
    open();
    doc->addManualRedaction(QRectF(0.2, 0.2, 0.1, 0.1));
    InspectorRedactionSection* section = view->redactionSection();
    EXPECT_FALSE(section->isHidden());
    EXPECT_TRUE(section->listedKinds().isEmpty());
    EXPECT_FALSE(section->styleControls()->isHidden());
    EXPECT_EQ(section->note()->text(), "1 drawn · Select to drag, Delete to delete.");
}

TEST_F(InspectorSections, UndoInTheMiddleOfASliderDragLeavesTheRestOfTheDragOneStep)
{
    open();
    // The window's Edit menu, as the main window has it.
    QShortcut undo(QKeySequence(Qt::CTRL | Qt::Key_Z), view.get());
    QObject::connect(&undo, &QShortcut::activated, doc.get(), &EditorDocument::undo);
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));

    for (LumaSlider* slider : { view->styleSection()->paddingSlider(), view->styleSection()->radiusSlider() }) {
        const BeautifySettings before = style();
        const int steps = doc->undoCount();
        QTest::mousePress(slider, Qt::LeftButton, {}, trackPoint(slider, 0.2));
        QTest::mouseMove(slider, trackPoint(slider, 0.5));
        const BeautifySettings first = style();
        EXPECT_NE(first, before);
        QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(style(), before);
        EXPECT_EQ(doc->undoCount(), steps);
        // The drag goes on; what it writes now is a step of its own.
        QTest::mouseMove(slider, trackPoint(slider, 0.8));
        QTest::mouseMove(slider, trackPoint(slider, 0.9));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, trackPoint(slider, 0.9));
        EXPECT_NE(style(), before);
        EXPECT_EQ(doc->undoCount(), steps + 1);
        doc->undo();
        EXPECT_EQ(style(), before);
    }
}

TEST_F(InspectorSections, SwatchesOfFormerSizesAreLetGo)
{
    open();
    clickSegment(view->tabSwitcher(), 1);
    BackgroundSwatchGrid* grid = view->backgroundSection()->grid();
    BackgroundSwatchGrid::clearSwatchCache();
    // The grid painted at several widths, in both schemes, as a resized or moved window does.
    for (const int width : { 278, 250, 300, 260, 278 }) {
        grid->resize(width, grid->heightForWidth(width));
        for (const ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
            Theme::setColorScheme(grid, scheme);
            grid->grab();
        }
        // One size: every preset once, and the checkerboard in each scheme.
        EXPECT_LE(BackgroundSwatchGrid::swatchCacheCount(), grid->cellCount() + 1) << width;
    }
}
