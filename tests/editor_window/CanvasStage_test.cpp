// The stage inside the assembled editor window: what it shows against what a copy renders, drags
// that lose their release, the wheel over the inspector, the middle button over text fields, and
// Space let go before the button.
#include "EditorWindowKit.h"

#include "editor/AnnotationEditController.h"
#include "editor/FormatBarContainer.h"
#include "editor_window/ActionPill.h"
#include "render/AnnotationLayer.h"
#include "ui/BeautifiedCanvas.h"

#include "editor_window/StageEventMonitor.h"
#include "editor_window/ToolDock.h"
#include "inspector/InspectorField.h"
#include "inspector/InspectorFrameSection.h"
#include "inspector/InspectorPresetsButton.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorRedactionSection.h"
#include "inspector/InspectorView.h"
#include "inspector/InspectorWatermarkSection.h"
#include "support/Wait.h"

#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {
// Counts the middle-button presses and releases a widget receives.
struct MiddleButtonCount : QObject {
    int presses = 0;
    int releases = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
                ++(event->type() == QEvent::MouseButtonPress ? presses : releases);
        }
        return false;
    }
};
}

namespace {
// Dark stripes, so marks default to white and a blurred area differs from the shot.
QImage darkStripes()
{
    QImage image(400, 300, QImage::Format_RGB32);
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = (x / 6) % 2 ? QColor(20, 30, 60) : QColor(90, 110, 150);
        for (int y = 0; y < image.height(); ++y)
            image.setPixelColor(x, y, c);
    }
    return image;
}

// Blocks of 3 x 3 pixels within `area` (fractions of both images) whose mean colours differ by
// more than `tolerance` in a channel. The images show the same canvas at different sizes.
int differingBlocks(const QImage& a, const QImage& bOtherSize, const QRectF& area, int tolerance = 40)
{
    const QImage b = bOtherSize.scaled(a.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRect pixels = QRectF(area.x() * a.width(), area.y() * a.height(), area.width() * a.width(),
        area.height() * a.height()).toAlignedRect() & a.rect();
    int differing = 0;
    for (int y = pixels.top(); y + 3 <= pixels.bottom() + 1; y += 3) {
        for (int x = pixels.left(); x + 3 <= pixels.right() + 1; x += 3) {
            int sum[2][3] = {};
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    for (int i = 0; i < 2; ++i) {
                        const QRgb p = (i ? b : a).pixel(x + dx, y + dy);
                        sum[i][0] += qRed(p);
                        sum[i][1] += qGreen(p);
                        sum[i][2] += qBlue(p);
                    }
            for (int c = 0; c < 3; ++c) {
                if (std::abs(sum[0][c] - sum[1][c]) > tolerance * 9) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return differing;
}
}

// Every kind of mark drawn across a highlight's outline, half in its window and half on the
// dimmed shot: the stage shows each exactly as the copy renders it, dimmed where the copy dims.
TEST_F(EditorWindowKit, MarksBesideAHighlightLookOnTheStageAsInTheCopy)
{
    view.reset();
    doc = std::shared_ptr<EditorDocument>(makeDocument(scan, DetectionResult {}, BeautifySettings::defaults(), darkStripes()));
    makeView();
    keepCopies = true;
    ASSERT_EQ(doc->annotationColor(), 0xFFFFFF);
    const auto draw = [&](AnnotationTool tool, QPointF from, QPointF to) {
        click(centreOf(view->toolDock()->tile(tool)));
        drag(imagePoint(from), imagePoint(to), 6);
    };
    draw(AnnotationTool::highlight, { 0.35, 0.35 }, { 0.65, 0.65 });
    draw(AnnotationTool::arrow, { 0.1, 0.12 }, { 0.45, 0.45 });
    draw(AnnotationTool::line, { 0.9, 0.12 }, { 0.55, 0.45 });
    draw(AnnotationTool::box, { 0.08, 0.55 }, { 0.45, 0.8 });
    draw(AnnotationTool::ellipse, { 0.55, 0.55 }, { 0.92, 0.88 });
    click(centreOf(view->toolDock()->tile(AnnotationTool::pen)));
    press(imagePoint({ 0.2, 0.95 }));
    for (int i = 1; i <= 12; ++i)
        moveTo(imagePoint({ 0.2 + i * 0.05, 0.95 - (i % 2 ? 0.1 : 0.0) - i * 0.03 }));
    release(imagePoint({ 0.8, 0.55 }));
    draw(AnnotationTool::blur, { 0.42, 0.2 }, { 0.6, 0.42 });
    click(centreOf(view->toolDock()->tile(AnnotationTool::text)));
    click(imagePoint({ 0.36, 0.5 }));
    ASSERT_TRUE(layer()->textField()->hasFocus());
    QTest::keyClicks(layer()->textField(), QStringLiteral("WIDE MARK"));
    key(Qt::Key_Return);
    // Nothing selected: no outline, handles or bar on the stage.
    click(backgroundPoint());
    ASSERT_EQ(doc->annotations().size(), 7);
    ASSERT_EQ(doc->manualRedactions().size(), 1);
    ASSERT_FALSE(doc->selectedAnnotation());
    ASSERT_FALSE(doc->selectedManualRedaction());
    ASSERT_TRUE(waitUntil([&] { return view->findChildren<FormatBarContainer*>().isEmpty(); }));

    click(centreOf(view->actionPill()->copyButton()));
    ASSERT_FALSE(copied.isNull());
    stage()->finishAnimations();
    QCoreApplication::processEvents();
    const QRectF shown = stage()->shownRect();
    const QImage onStage = view->grab(QRect(stage()->mapTo(view.get(), shown.topLeft().toPoint()), shown.size().toSize())).toImage();

    const QSizeF canvas = canvasLayout(doc->image(), doc->settings()).canvasSize();
    const QRectF image = stage()->targetLayout().imageRectNorm;
    for (const Annotation& a : doc->annotations()) {
        QRectF area = a.boundingRect();
        if (a.kind == Annotation::Kind::text) {
            const QRectF ink = annotationTextPath(a, QRectF(QPointF(0, 0), canvas)).boundingRect();
            area = QRectF(ink.x() / canvas.width(), ink.y() / canvas.height(), ink.width() / canvas.width(),
                ink.height() / canvas.height());
        }
        EXPECT_EQ(differingBlocks(onStage, copied, area.adjusted(-0.02, -0.02, 0.02, 0.02)), 0)
            << "mark of kind " << int(a.kind);
    }
    const QRectF blur = doc->manualRedactions().first();
    EXPECT_EQ(differingBlocks(onStage, copied,
                  QRectF(image.x() + blur.x() * image.width(), image.y() + blur.y() * image.height(),
                      blur.width() * image.width(), blur.height() * image.height()).adjusted(-0.02, -0.02, 0.02, 0.02)),
        0)
        << "blurred area";
    if (HasFailure()) {
        onStage.save(QStringLiteral("/tmp/stage-vs-copy-stage.png"));
        copied.save(QStringLiteral("/tmp/stage-vs-copy-copy.png"));
    }
}

// On a mirrored shot, an area hidden by hand and a crop land where they are drawn on screen, not
// on the mirror-opposite side.
TEST_F(EditorWindowKit, OnAFlippedShotTheBlurAndTheCropTakeWhatTheyAreDrawnOver)
{
    BeautifySettings flipped = BeautifySettings::defaults();
    flipped.flipH = true;
    view.reset();
    doc = std::shared_ptr<EditorDocument>(makeDocument(scan, DetectionResult {}, flipped, darkStripes()));
    makeView();
    const auto shown = [&](QPointF at) {
        QCoreApplication::processEvents();
        const QImage image = view->grab().toImage();
        const QPoint p = imagePoint(at);
        // A few stripes' worth, so a blurred patch differs from a sharp one.
        int sum = 0;
        for (int dx = -8; dx <= 8; ++dx)
            sum += qGray(image.pixel(p + QPoint(dx, 0))) * (dx % 2 ? 1 : -1);
        return sum;
    };
    const QPointF under(0.2, 0.25), opposite(0.8, 0.25);
    const int sharpUnder = shown(under), sharpOpposite = shown(opposite);

    click(centreOf(view->toolDock()->tile(AnnotationTool::blur)));
    drag(imagePoint({ 0.1, 0.1 }), imagePoint({ 0.3, 0.4 }));
    click(backgroundPoint());
    ASSERT_EQ(doc->manualRedactions().size(), 1);
    // The shot's own left edge is shown on the right.
    EXPECT_NEAR(doc->manualRedactions().first().center().x(), 0.8, 0.02);
    EXPECT_NE(shown(under), sharpUnder);
    EXPECT_EQ(shown(opposite), sharpOpposite);

    // The crop's left edge, as shown, dragged a quarter in: the shown left quarter goes, which
    // is the shot's right quarter.
    click(centreOf(view->toolDock()->tile(AnnotationTool::crop)));
    drag(imagePoint({ 0, 0.5 }), imagePoint({ 0.25, 0.5 }), 6);
    const QRectF crop = doc->settings().cropRect;
    EXPECT_NEAR(crop.left(), 0, 0.01);
    EXPECT_NEAR(crop.right(), 0.75, 0.01);
    click(centreOf(layer()->cropConfirmButton()));
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
    EXPECT_EQ(doc->settings().cropRect, crop);
}

TEST_F(EditorWindowKit, TheInlineFieldTakesTheDrawnTextsPlaceExactly)
{
    // Pure blue text: where the canvas draws it, and where the field shows it while it is typed
    // in, agree to a pixel or two; the canvas leaves it out meanwhile, so it never shows twice.
    Annotation t = mark(Annotation::Kind::text, { 0.5, 0.5 }, { 0.5, 0.5 });
    t.text = QStringLiteral("Wide Text");
    t.fontFraction = 0.08;
    t.colorHex = 0x0000FF;
    doc->addAnnotation(t);
    doc->setSelectedAnnotation(std::nullopt);
    const auto inkBounds = [this] {
        QCoreApplication::processEvents();
        const QImage image = view->grab().toImage();
        QRect box;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.blue() > 200 && c.red() < 80 && c.green() < 80)
                    box |= QRect(x, y, 1, 1);
            }
        }
        return box;
    };
    const QRect drawn = inkBounds();
    ASSERT_FALSE(drawn.isEmpty());
    click(canvasPoint({ 0.5, 0.5 }));
    click(canvasPoint({ 0.5, 0.5 }));
    ASSERT_EQ(layer()->controller()->editingTextID(), t.id);
    EXPECT_TRUE(stage()->canvas()->content().annotations.isEmpty());
    const QRect typed = inkBounds();
    EXPECT_NEAR(typed.left(), drawn.left(), 2);
    EXPECT_NEAR(typed.right(), drawn.right(), 2);
    EXPECT_NEAR(typed.top(), drawn.top(), 3);
    EXPECT_NEAR(typed.bottom(), drawn.bottom(), 3);
    key(Qt::Key_Return);
    EXPECT_EQ(stage()->canvas()->content().annotations.size(), 1);
}

TEST_F(EditorWindowKit, APressAfterALostReleaseEndsTheOpenDragWhereItWas)
{
    // A box moved by the pointer; mid-drag a menu opens and takes the release.
    doc->addAnnotation(mark(Annotation::Kind::box, { 0.3, 0.3 }, { 0.5, 0.5 }));
    const Annotation before = doc->annotations().first();
    const QPoint from = canvasPoint({ 0.4, 0.3 });
    press(from);
    moveTo(from + QPoint(30, 20));
    const Annotation dragged = doc->annotations().first();
    ASSERT_NE(dragged.start, before.start);
    {
        QMenu menu;
        menu.addAction(QStringLiteral("Open…"));
        menu.popup(view->mapToGlobal(from + QPoint(30, 20)));
        release(from + QPoint(30, 20));
        menu.close();
    }

    // The next click, far away on the canvas, ends that drag where it was and starts its own.
    click(canvasPoint({ 0.85, 0.85 }));
    ASSERT_EQ(doc->annotations().size(), 1);
    EXPECT_EQ(doc->annotations().first().start, dragged.start);
    EXPECT_EQ(doc->annotations().first().end, dragged.end);
    EXPECT_FALSE(doc->selectedAnnotation()); // the click landed on empty canvas

    // The same with a box being drawn: it is committed as drawn, not stretched to the click.
    click(centreOf(view->toolDock()->tile(AnnotationTool::box)));
    const QPoint a = canvasPoint({ 0.1, 0.6 }), b = canvasPoint({ 0.25, 0.75 });
    press(a);
    moveTo(b);
    {
        QMenu menu;
        menu.addAction(QStringLiteral("Open…"));
        menu.popup(view->mapToGlobal(b));
        release(b);
        menu.close();
    }
    click(canvasPoint({ 0.9, 0.15 }));
    ASSERT_EQ(doc->annotations().size(), 2);
    const Annotation drawn = doc->annotations().last();
    EXPECT_NEAR(drawn.end.x(), 0.25, 0.01);
    EXPECT_NEAR(drawn.end.y(), 0.75, 0.01);
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
}

TEST_F(EditorWindowKit, TheWheelOverTheInspectorNeverPans)
{
    view.reset();
    makeView({ 1000, 660 }); // short enough that the inspector scrolls
    QScrollArea* scroll = view->inspector()->scrollArea();
    QScrollBar* bar = scroll->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QRectF canvas = stage()->shownRect();

    // Forty notches down: the inspector scrolls to its end, and the rest goes nowhere.
    wheel(centreOf(scroll->viewport()), QPoint(0, -120), 40);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0));
    wheel(centreOf(scroll->viewport()), QPoint(0, 120), 3);
    EXPECT_LT(bar->value(), bar->maximum());
    // Over the header, which does not scroll, nothing happens either.
    wheel(centreOf(view->inspector()->presetsButton()), QPoint(0, -120), 5);
    EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0));
    view->stage()->finishAnimations();
    EXPECT_EQ(stage()->shownRect(), canvas);

    // Over the canvas and the empty stage the wheel pans.
    EXPECT_TRUE(wheel(canvasPoint({ 0.5, 0.5 }), QPoint(0, -120)));
    EXPECT_TRUE(wheel(backgroundPoint(), QPoint(-120, 0)));
    EXPECT_EQ(stage()->pan().offset(),
        QSizeF(-StageEventMonitor::wheelStepPoints, -StageEventMonitor::wheelStepPoints));
}

TEST_F(EditorWindowKit, TheWheelAnywhereOverTheInspectorScrollsItAfterEachSectionThatGrowsIt)
{
    view.reset();
    makeView({ 1000, 660 });
    InspectorView* inspector = view->inspector();
    QScrollArea* scroll = inspector->scrollArea();
    QScrollBar* bar = scroll->verticalScrollBar();
    const QRect viewport(scroll->viewport()->mapTo(view.get(), QPoint()), scroll->viewport()->size());
    // Across the panel's width: its left edge (where the section's check boxes are), the middle,
    // and beside the scroll bar.
    const QList<int> across { viewport.left() + 4, viewport.left() + 14, viewport.left() + 24, viewport.center().x(),
        viewport.right() - 12 };
    const auto scrollsEverywhere = [&](const char* after) {
        for (const int x : across) {
            const QPoint at(x, viewport.center().y());
            bar->setValue(0);
            wheel(at, QPoint(0, -120));
            EXPECT_GT(bar->value(), 0) << after << ", x " << x - viewport.left();
            EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0)) << after << ", x " << x - viewport.left();
            const int down = bar->value();
            wheel(at, QPoint(0, 120));
            EXPECT_LT(bar->value(), down) << after << ", x " << x - viewport.left();
            EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0)) << after << ", x " << x - viewport.left();
        }
    };
    const auto clickInPanel = [&](QWidget* control) {
        scroll->ensureWidgetVisible(control);
        click(centreOf(control));
    };

    clickInPanel(inspector->watermarkSection()->watermarkToggle());
    ASSERT_TRUE(doc->settings().watermark);
    scrollsEverywhere("watermark");

    BeautifySettings s = doc->settings();
    s.windowFrame = WindowFrameStyle::light;
    doc->setSettings(s);
    clickInPanel(inspector->frameSection()->urlToggle());
    ASSERT_TRUE(inspector->frameSection()->urlField()->isVisible());
    scrollsEverywhere("URL bar");

    doc->addManualRedaction(QRectF(0.1, 0.1, 0.3, 0.1));
    InspectorRedactionSection* redaction = inspector->redactionSection();
    ASSERT_TRUE(redaction->styleControls()->isVisible());
    clickInPanel(redaction->styleButtons().at(1));
    scrollsEverywhere("redaction style");
}

TEST_F(EditorWindowKit, TheMiddleButtonPansButNotOverATextFieldAndItsHandGoesWithTheStage)
{
    BeautifySettings s = doc->settings();
    s.windowFrame = WindowFrameStyle::light;
    s.showURL = true;
    doc->setSettings(s);
    QLineEdit* field = view->inspector()->frameSection()->urlField();
    ASSERT_TRUE(field->isVisible());
    MiddleButtonCount count;
    field->installEventFilter(&count);

    // Over the address field the middle button is the field's (X11 pastes the selection there).
    press(centreOf(field), Qt::MiddleButton);
    release(centreOf(field), Qt::MiddleButton);
    EXPECT_EQ(count.presses, 1);
    EXPECT_EQ(count.releases, 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(stage()->pan().offset(), QSizeF(0, 0));

    // Over the canvas it drags it with the closed hand ...
    const QPoint c = canvasPoint({ 0.5, 0.5 });
    press(c, Qt::MiddleButton);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    // ... and when the stage goes mid-drag (the document closed), the hand goes with it.
    view->hide();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(stage()->cursors().depth(), 0);
}

TEST_F(EditorWindowKit, SpaceLetGoBeforeTheButtonEndsThePanDrag)
{
    const QPoint c = canvasPoint({ 0.5, 0.5 });
    keyDown(Qt::Key_Space);
    ASSERT_TRUE(stage()->pan().spaceHeld());
    press(c);
    moveTo(c + QPoint(50, 0));
    moveTo(c + QPoint(100, 0));
    EXPECT_EQ(stage()->pan().offset(), QSizeF(100, 0));
    keyUp(Qt::Key_Space); // before the button
    release(c + QPoint(100, 0));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The next Space-drag starts from where the canvas is now.
    keyDown(Qt::Key_Space);
    press(c);
    moveTo(c + QPoint(0, 20));
    moveTo(c + QPoint(0, 40));
    EXPECT_EQ(stage()->pan().offset(), QSizeF(100, 40));
    release(c + QPoint(0, 40));
    keyUp(Qt::Key_Space);
    EXPECT_TRUE(doc->annotations().isEmpty());
    EXPECT_EQ(doc->undoCount(), 0);
}
