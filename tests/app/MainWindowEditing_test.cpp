// The editor in the main window as the application builds it (real editing layer, inspector and
// action pill), driven by the pointer and the keyboard: a crop under a drawn box, and a preset
// applied from the inspector's menu.
#include "AppStateKit.h"

#include "app/MainWindow.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/DocumentRender.h"
#include "editor/EditorDocument.h"
#include "editor_window/EditorView.h"
#include "inspector/InspectorAspectSection.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorFrameSection.h"
#include "inspector/InspectorPresetsButton.h"
#include "model/PresetStore.h"
#include "model/UuidText.h"
#include "render/CanvasLayout.h"
#include "support/Wait.h"
#include "ui/LumaSegmented.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr QColor kBlue(30, 60, 220);

// A light page with four coloured lines of text, the third blue.
QImage pageOfLines()
{
    QImage image(480, 300, QImage::Format_RGB32);
    image.fill(QColor(248, 248, 250));
    QPainter p(&image);
    const QColor colours[] = { QColor(220, 40, 40), QColor(40, 170, 60), kBlue, QColor(220, 160, 0) };
    for (int i = 0; i < 4; ++i)
        p.fillRect(60, 40 + 60 * i, 320, 20, colours[i]);
    return image;
}

// The bounding box of the pixels that pass the test (empty when none do).
QRect extentOf(const QImage& image, const std::function<bool(QColor)>& test)
{
    QRect found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (test(image.pixelColor(x, y)))
                found |= QRect(x, y, 1, 1);
        }
    }
    return found;
}

bool isBlue(QColor c)
{
    return std::abs(c.red() - kBlue.red()) < 12 && std::abs(c.green() - kBlue.green()) < 12
        && std::abs(c.blue() - kBlue.blue()) < 12;
}

bool isInk(QColor c)
{
    return c.red() < 30 && c.green() < 30 && c.blue() < 30;
}

struct MainWindowEditing : AppStateKit {
    std::unique_ptr<MainWindow> window;
    EditorView* editor = nullptr;
    AnnotationEditingLayer* layer = nullptr;

    void SetUp() override
    {
        makeApp([](const QImage&, QObject*, std::function<void(DetectionResult)> done) { done({}); },
            [](const EditorDocument& document) { return renderDocumentImage(document); });
        settings.setValue("hasCompletedOnboarding", true);
        window = std::make_unique<MainWindow>(*app, settings);
        window->resize(1300, 840);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        app->openShotInEditor(CapturedShot::make(pageOfLines()));
        editor = window->findChild<EditorView*>();
        ASSERT_TRUE(editor);
        layer = editor->findChild<AnnotationEditingLayer*>();
        ASSERT_TRUE(layer);
        settle();
    }

    void settle()
    {
        editor->stage()->finishAnimations();
        QApplication::processEvents();
    }

    // A point of the shown image (fractions) in the layer, as the stage shows it now.
    QPoint onImage(double u, double v) const
    {
        const EditingFrame f = layer->frame();
        const QRectF shown = f.imageRectNorm;
        const QRectF crop = f.crop;
        const double x = shown.x() + (u - crop.x()) / crop.width() * shown.width();
        const double y = shown.y() + (v - crop.y()) / crop.height() * shown.height();
        return QPoint(int(std::lround(x * f.displaySize.width())), int(std::lround(y * f.displaySize.height())));
    }

    void chooseTool(const char* tile)
    {
        auto* button = editor->findChild<QAbstractButton*>(QString::fromLatin1(tile));
        ASSERT_TRUE(button) << tile;
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }

    void drag(QWidget* target, QPoint from, QPoint to)
    {
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        for (int i = 1; i <= 8; ++i)
            QTest::mouseMove(target, from + (to - from) * i / 8);
        QTest::mouseRelease(target, Qt::LeftButton, {}, to);
    }

    // A key pressed in the main window. The copy's toast never takes activation on a desktop,
    // but Qt's offscreen platform may hand it over.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), key, modifiers);
    }

    QImage copied()
    {
        const qsizetype before = pasteboard.writes.size();
        press(Qt::Key_C);
        EXPECT_EQ(pasteboard.writes.size(), before + 1);
        return pasteboard.writes.isEmpty() ? QImage() : pasteboard.writes.last();
    }
};

}

TEST_F(MainWindowEditing, ABoxFramesTheSameLineAfterTheTopIsCroppedOff)
{
    // A box drawn around the blue line (image rows 160 to 180 of 300).
    chooseTool("tool-box");
    drag(layer, onImage(0.1, 150.0 / 300), onImage(0.82, 190.0 / 300));
    auto doc = app->document();
    ASSERT_EQ(doc->annotations().size(), 1);
    const QImage drawn = copied();
    const QRect boxBefore = extentOf(drawn, isInk);
    const QRect lineBefore = extentOf(drawn, isBlue);
    ASSERT_TRUE(boxBefore.contains(lineBefore)) << "the box is drawn around the line";

    // Crop off the top down to the green line's end with the top handle, then confirm.
    chooseTool("tool-crop");
    drag(layer, onImage(0.5, 0), onImage(0.5, 130.0 / 300));
    EXPECT_NEAR(doc->settings().cropRect.top(), 130.0 / 300, 0.02);
    QAbstractButton* confirm = layer->cropConfirmButton();
    ASSERT_TRUE(confirm && confirm->isVisible());
    QTest::mouseClick(confirm, Qt::LeftButton);
    settle();
    EXPECT_EQ(doc->tool(), AnnotationTool::select);

    const QImage cropped = copied();
    ASSERT_LT(cropped.height(), drawn.height());
    const QRect boxAfter = extentOf(cropped, isInk);
    const QRect lineAfter = extentOf(cropped, isBlue);
    ASSERT_FALSE(lineAfter.isEmpty());
    EXPECT_TRUE(boxAfter.contains(lineAfter)) << "box " << boxAfter.y() << ".." << boxAfter.bottom() << ", line "
                                              << lineAfter.y() << ".." << lineAfter.bottom();
    // Framed as it was: the same gaps above and below the line.
    EXPECT_NEAR(lineAfter.top() - boxAfter.top(), lineBefore.top() - boxBefore.top(), 3);
    EXPECT_NEAR(boxAfter.bottom() - lineAfter.bottom(), boxBefore.bottom() - lineBefore.bottom(), 3);

    // One undo brings the uncropped shot back with the box where it was drawn.
    press(Qt::Key_Z);
    EXPECT_EQ(doc->settings().cropRect, QRectF(0, 0, 1, 1));
    EXPECT_EQ(extentOf(copied(), isInk), boxBefore);
}

TEST_F(MainWindowEditing, ABoxStaysAroundItsLineAsTheWindowFrameComesAndGrows)
{
    chooseTool("tool-box");
    drag(layer, onImage(0.1, 150.0 / 300), onImage(0.82, 190.0 / 300));
    ASSERT_EQ(app->document()->annotations().size(), 1);
    const QImage drawn = copied();
    const QRect boxBefore = extentOf(drawn, isInk);
    const QRect lineBefore = extentOf(drawn, isBlue);
    ASSERT_TRUE(boxBefore.contains(lineBefore));

    // The title bar pushes the shot down within its card; the box goes with the shot.
    auto* frame = editor->findChild<InspectorFrameSection*>();
    ASSERT_TRUE(frame);
    auto* frames = frame->findChild<LumaSegmented*>();
    ASSERT_TRUE(frames);
    QTest::mouseClick(frames, Qt::LeftButton, {}, frames->segmentRect(1).center().toPoint());
    settle();
    ASSERT_EQ(app->document()->settings().windowFrame, WindowFrameStyle::light);
    auto framesTheLine = [&](const char* step) {
        const QImage image = copied();
        const QRect box = extentOf(image, isInk);
        const QRect line = extentOf(image, isBlue);
        ASSERT_FALSE(line.isEmpty()) << step;
        EXPECT_TRUE(box.contains(line)) << step << ": box " << box.y() << ".." << box.bottom() << ", line "
                                        << line.y() << ".." << line.bottom();
        EXPECT_NEAR(line.top() - box.top(), lineBefore.top() - boxBefore.top(), 3) << step;
        EXPECT_NEAR(box.bottom() - line.bottom(), boxBefore.bottom() - lineBefore.bottom(), 3) << step;
    };
    framesTheLine("light frame");

    // An address bar makes the title bar taller.
    auto* url = frame->findChild<InspectorCheckbox*>();
    ASSERT_TRUE(url && url->isVisible());
    QTest::mouseClick(url, Qt::LeftButton);
    settle();
    ASSERT_TRUE(app->document()->settings().showURL);
    framesTheLine("address bar");

    // A square canvas already tall enough keeps its size as the frame goes; the box still follows.
    auto* aspect = editor->findChild<InspectorAspectSection*>();
    ASSERT_TRUE(aspect);
    auto* ratios = aspect->findChild<LumaSegmented*>();
    ASSERT_TRUE(ratios);
    QTest::mouseClick(ratios, Qt::LeftButton, {}, ratios->segmentRect(4).center().toPoint());
    settle();
    ASSERT_EQ(app->document()->settings().aspect, AspectRatioOption::r1_1);
    const QSizeF squareCanvas = canvasLayout(app->document()->image(), app->document()->settings()).canvasSize();
    QTest::mouseClick(frames, Qt::LeftButton, {}, frames->segmentRect(0).center().toPoint());
    settle();
    ASSERT_EQ(app->document()->settings().windowFrame, WindowFrameStyle::none);
    ASSERT_EQ(canvasLayout(app->document()->image(), app->document()->settings()).canvasSize(), squareCanvas);
    framesTheLine("no frame on a square canvas");
}

TEST_F(MainWindowEditing, APresetFromTheInspectorsMenuKeepsTheShotsCrop)
{
    // Saved from another shot, cropped to that shot's corner.
    BeautifySettings elsewhere = BeautifySettings::defaults();
    elsewhere.cropRect = QRectF(0.5, 0.5, 0.5, 0.5);
    elsewhere.background = BackgroundPreset::snow;
    elsewhere.padding = 30;
    const QString name = QStringLiteral("Cropped elsewhere %1").arg(QCoreApplication::applicationPid());
    PresetStore::shared().add(name, elsewhere);

    auto doc = app->document();
    const QSize before = copied().size();
    auto* presets = editor->findChild<InspectorPresetsButton*>();
    ASSERT_TRUE(presets);
    QTest::mouseClick(presets, Qt::LeftButton);
    QMenu* menu = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; }));
    QAction* item = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text() == name)
            item = action;
    }
    ASSERT_TRUE(item);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());

    EXPECT_EQ(doc->settings().background, BackgroundPreset::snow);
    EXPECT_EQ(doc->settings().padding, 30);
    EXPECT_EQ(doc->settings().cropRect, QRectF(0, 0, 1, 1));
    EXPECT_EQ(presets->text(), name);
    // The whole shot is copied: at padding 30 the canvas is larger than before, never a corner.
    const QSize after = copied().size();
    EXPECT_GT(after.width(), before.width());
    EXPECT_GT(after.height(), before.height());
    // The stored preset keeps what it was saved with.
    bool kept = false;
    for (const StylePreset& preset : PresetStore::shared().presets())
        kept |= preset.name == name && preset.settings.cropRect == elsewhere.cropRect;
    EXPECT_TRUE(kept);
}

// The default preset styles every new shot; the crop it was saved with belongs to another shot.
TEST_F(AppStateKit, ANewShotStyledByTheDefaultPresetIsNotCropped)
{
    makeApp([](const QImage&, QObject*, std::function<void(DetectionResult)> done) { done({}); },
        [](const EditorDocument&) { return QImage(); });
    BeautifySettings saved = BeautifySettings::defaults();
    saved.cropRect = QRectF(0.25, 0, 0.5, 0.5);
    saved.background = BackgroundPreset::snow;
    presets->add(QStringLiteral("Default"), saved);
    prefs->setDefaultPresetID(uuidString(presets->presets().first().id));
    const auto [style, key] = app->styleForNewShot(filledImage({ 40, 30 }, Qt::gray));
    EXPECT_EQ(key, uuidString(presets->presets().first().id));
    EXPECT_EQ(style.background, BackgroundPreset::snow);
    EXPECT_EQ(style.cropRect, QRectF(0, 0, 1, 1));
}
