#include "EditorDocumentTestKit.h"
#include "editor/AnnotationEditController.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/FormatBarContainer.h"
#include "editor/FormatBarFactory.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// Bars that say which one was asked for and what they were given.
class RecordingFactory : public FormatBarFactory {
public:
    QWidget* createTextBar(const FormatBarContext& c) override { return make(QStringLiteral("text"), c); }
    QWidget* createHighlightBar(const FormatBarContext& c) override { return make(QStringLiteral("highlight"), c); }
    QWidget* createShapeBar(const FormatBarContext& c) override { return make(QStringLiteral("shape"), c); }

    QStringList made;
    FormatBarContext last;

private:
    QWidget* make(const QString& name, const FormatBarContext& c)
    {
        made.append(name);
        last = c;
        auto* label = new QLabel(name);
        label->setObjectName(name);
        label->setFixedSize(120, 26);
        return label;
    }
};

// The stage: a widget larger than the canvas, with the layer inset in it, as the editor shows it.
class AnnotationEditingLayerTest : public ::testing::Test {
protected:
    AnnotationEditingLayerTest()
    {
        stage.resize(1000, 700);
        layer = new AnnotationEditingLayer(doc.get(), &stage);
        layer->move(100, 100);
        EditingFrame f;
        f.displaySize = QSizeF(800, 500);
        f.shotRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
        f.imageRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
        layer->setFrame(f);
        layer->setOverlayHost(&stage);
        stage.show();
    }

    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(layer, Qt::LeftButton, {}, from);
        QTest::mouseMove(layer, from + (to - from) / 2);
        QTest::mouseMove(layer, to);
        QTest::mouseRelease(layer, Qt::LeftButton, {}, to);
    }

    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc = makeDocument(scan);
    QWidget stage;
    AnnotationEditingLayer* layer = nullptr;
};

QColor pixelAt(QWidget& widget, QPoint p)
{
    return widget.grab().toImage().pixelColor(p);
}
}

TEST_F(AnnotationEditingLayerTest, DrawMoveResizeAndUndoByMouse)
{
    EXPECT_EQ(layer->size(), QSize(800, 500));
    doc->setTool(AnnotationTool::box);
    drag({ 200, 100 }, { 400, 200 });
    ASSERT_EQ(doc->annotations().size(), 1);
    Annotation box = doc->annotations().first();
    EXPECT_EQ(box.start, QPointF(0.25, 0.2));
    EXPECT_EQ(box.end, QPointF(0.5, 0.4));
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
    EXPECT_EQ(doc->selectedAnnotation(), box.id);

    drag({ 300, 150 }, { 350, 200 });
    box = doc->annotations().first();
    EXPECT_EQ(box.start, QPointF(0.3125, 0.3));
    EXPECT_EQ(box.end, QPointF(0.5625, 0.5));

    drag({ 450, 250 }, { 500, 300 }); // its bottom-right handle
    box = doc->annotations().first();
    EXPECT_EQ(box.start, QPointF(0.3125, 0.3));
    EXPECT_EQ(box.end, QPointF(0.625, 0.6));
    EXPECT_EQ(doc->undoCount(), 3);

    doc->undo();
    EXPECT_EQ(doc->annotations().first().end, QPointF(0.5625, 0.5));
    doc->undo();
    EXPECT_EQ(doc->annotations().first().end, QPointF(0.5, 0.4));
    doc->undo();
    EXPECT_TRUE(doc->annotations().isEmpty());
}

TEST_F(AnnotationEditingLayerTest, TypingIntoANewTextAnnotation)
{
    doc->setTool(AnnotationTool::text);
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(400, 250));
    QLineEdit* field = layer->textField();
    ASSERT_NE(field, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(field->isVisible());
    EXPECT_EQ(field->parentWidget(), &stage);
    EXPECT_EQ(field->placeholderText(), QStringLiteral("Type…"));
    // Centred on the click, in the stage's coordinates.
    EXPECT_NEAR(field->geometry().center().x(), 500, 3);
    EXPECT_NEAR(field->geometry().center().y(), 350, 2);

    QTest::keyClicks(field, QStringLiteral("Hello"));
    ASSERT_EQ(doc->annotations().size(), 1);
    EXPECT_EQ(doc->annotations().first().text, QStringLiteral("Hello"));
    // The same field with its cursor where the user put it, however often the document changes.
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClicks(field, QStringLiteral("Oh, "));
    EXPECT_EQ(layer->textField(), field);
    EXPECT_EQ(doc->annotations().first().text, QStringLiteral("Oh, Hello"));
    EXPECT_EQ(field->cursorPosition(), 4);
    EXPECT_EQ(doc->undoCount(), 1);

    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(field->isVisible());
    EXPECT_FALSE(doc->isEditingText());
    EXPECT_EQ(doc->annotations().first().text, QStringLiteral("Oh, Hello"));
}

TEST_F(AnnotationEditingLayerTest, DoubleClickOnATextEditsItAndKeysDelete)
{
    Annotation t = mark(Annotation::Kind::text, { 0.5, 0.5 }, { 0.5, 0.5 });
    t.text = QStringLiteral("Note");
    t.fontFraction = 0.05;
    doc->addAnnotation(t);
    doc->setSelectedAnnotation(std::nullopt);
    // Qt delivers press, release, double-click (in place of the second press), release; the
    // double-click still counts as the second click.
    const QPointF at(400, 250);
    QTest::mouseClick(layer, Qt::LeftButton, {}, at.toPoint());
    QMouseEvent second(QEvent::MouseButtonDblClick, at, layer->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(layer, &second);
    QMouseEvent release(QEvent::MouseButtonRelease, at, layer->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(layer, &release);
    EXPECT_EQ(layer->controller()->editingTextID(), t.id);
    QApplication::processEvents();
    EXPECT_EQ(layer->textField()->text(), QStringLiteral("Note"));

    // Delete and Backspace both delete the selection while the layer has focus.
    const Annotation box = mark(Annotation::Kind::box, { 0.1, 0.1 }, { 0.3, 0.3 });
    doc->addAnnotation(box);
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(160, 100));
    EXPECT_FALSE(layer->controller()->editingTextID());
    EXPECT_EQ(doc->selectedAnnotation(), box.id);
    QTest::keyClick(layer, Qt::Key_Backspace);
    EXPECT_EQ(doc->annotations().size(), 1);
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(400, 250));
    EXPECT_EQ(doc->selectedAnnotation(), t.id);
    QTest::keyClick(layer, Qt::Key_Delete);
    EXPECT_TRUE(doc->annotations().isEmpty());
}

TEST_F(AnnotationEditingLayerTest, CropButtonsStandOverTheCropAndCancelIt)
{
    BeautifySettings s = doc->settings();
    s.cropRect = QRectF(0.25, 0.25, 0.5, 0.5);
    doc->setSettings(s);
    doc->setTool(AnnotationTool::crop);
    QAbstractButton* cancel = layer->cropCancelButton();
    QAbstractButton* confirm = layer->cropConfirmButton();
    ASSERT_TRUE(cancel && confirm);
    EXPECT_TRUE(cancel->isVisible());
    // The crop is 240..560 by 150..350 in the layer: the buttons' centre stands at (526, 127),
    // the two circles 38 pt apart.
    const QPoint cancelCenter = cancel->mapTo(&stage, cancel->rect().center());
    const QPoint confirmCenter = confirm->mapTo(&stage, confirm->rect().center());
    EXPECT_NEAR(cancelCenter.x(), 100 + 526 - 19, 1);
    EXPECT_NEAR(confirmCenter.x(), 100 + 526 + 19, 1);
    EXPECT_NEAR(cancelCenter.y(), 100 + 127, 1);

    drag({ 400, 250 }, { 500, 250 });
    EXPECT_NE(doc->settings().cropRect, s.cropRect);
    drag({ 500, 250 }, { 520, 300 });
    QTest::mouseClick(cancel, Qt::LeftButton, {}, cancel->rect().center());
    EXPECT_EQ(doc->settings().cropRect, s.cropRect);
    EXPECT_EQ(doc->tool(), AnnotationTool::select);
    EXPECT_FALSE(cancel->isVisible());

    // The crop's own pixels stay clear while everything around is dimmed.
    doc->setTool(AnnotationTool::crop);
    QImage image(layer->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        layer->paintOverlays(p);
    }
    EXPECT_EQ(image.pixelColor(400, 250), QColor(Qt::white));
    EXPECT_LT(image.pixelColor(50, 50).red(), 160);
}

TEST_F(AnnotationEditingLayerTest, FormatBarsFollowTheSelectionAndReachPastTheCanvas)
{
    RecordingFactory factory;
    layer->setFormatBarFactory(&factory);
    EXPECT_EQ(layer->formatBar(), nullptr);

    Annotation arrow = mark(Annotation::Kind::arrow, { 0.0, 0.02 }, { 0.2, 0.1 });
    arrow.lineWidthFraction = 7.9;
    doc->addAnnotation(arrow);
    FormatBarContainer* bar = layer->formatBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(factory.made, QStringList { QStringLiteral("shape") });
    EXPECT_EQ(factory.last.annotationID, arrow.id);
    EXPECT_EQ(factory.last.document, doc.get());
    EXPECT_EQ(*factory.last.widthText, QStringLiteral("7"));
    EXPECT_EQ(bar->parentWidget(), &stage);
    EXPECT_EQ(bar->height(), 40);
    EXPECT_EQ(bar->width(), 120 + 20);
    // Near the layer's top: below the arrow, centred 130 pt in from the layer's left.
    EXPECT_NEAR(bar->geometry().center().x(), 100 + 130, 1);
    EXPECT_NEAR(bar->geometry().center().y(), 100 + 50 + 28, 1);

    // Editing the same annotation keeps the bar; moving the selection replaces it.
    doc->setSelectedLineWidth(4);
    EXPECT_EQ(layer->formatBar(), bar);
    Annotation t = mark(Annotation::Kind::text, { 0.02, 0.5 }, { 0.02, 0.5 });
    t.text = QStringLiteral("T");
    doc->addAnnotation(t);
    EXPECT_EQ(factory.made.last(), QStringLiteral("text"));
    FormatBarContainer* textBar = layer->formatBar();
    ASSERT_NE(textBar, bar);
    // A text bar may hang over the canvas's left edge into the stage.
    EXPECT_LT(textBar->geometry().left(), 100);
    doc->setSelectedAnnotation(std::nullopt);
    EXPECT_EQ(layer->formatBar(), nullptr);

    // Without a factory the bar is there but empty.
    layer->setFormatBarFactory(nullptr);
    doc->setSelectedAnnotation(arrow.id);
    ASSERT_NE(layer->formatBar(), nullptr);
    EXPECT_EQ(layer->formatBar()->content(), nullptr);
}

TEST_F(AnnotationEditingLayerTest, SelectionShowsHandlesOnlyWithTheSelectTool)
{
    const Annotation box = mark(Annotation::Kind::box, { 0.25, 0.2 }, { 0.5, 0.4 });
    doc->addAnnotation(box);
    const auto render = [this] {
        QImage image(layer->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter p(&image);
        layer->paintOverlays(p);
        return image;
    };
    // A handle's white centre at the box's top-left corner (200, 100).
    QImage image = render();
    EXPECT_EQ(image.pixelColor(200, 100), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(300, 100), QColor(Qt::white));
    doc->setTool(AnnotationTool::pen);
    doc->setSelectedAnnotation(box.id);
    image = render();
    EXPECT_NE(image.pixelColor(200, 100), QColor(Qt::white));
    // The dashed outline stays: accent pixels somewhere along its top edge, 6 pt out.
    int accent = 0;
    for (int x = 200; x < 400; ++x)
        accent += image.pixelColor(x, 94).blue() > 150 ? 1 : 0;
    EXPECT_GT(accent, 40);
    EXPECT_LT(accent, 180);

    // An out-of-range redaction index draws and crashes nothing.
    doc->setSelectedAnnotation(std::nullopt);
    doc->setTool(AnnotationTool::select);
    doc->setSelectedManualRedaction(9);
    image = render();
    EXPECT_EQ(image.pixelColor(200, 100), QColor(Qt::black));
    EXPECT_NE(pixelAt(stage, QPoint(10, 10)), QColor(Qt::red));
}

TEST(AnnotationEditingLayerRepaint, RepaintingOnlyTheDirtyRegionMatchesAFullPaint)
{
    // Each change repaints only where it dirtied (the canvas beneath first, here white); after
    // every step that must look exactly like painting everything afresh.
    FakeSensitiveTextScan scan;
    auto doc = makeDocument(scan);
    AnnotationEditingLayer layer(doc.get());
    EditingFrame f;
    f.displaySize = QSizeF(600, 400);
    f.shotRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
    f.imageRectNorm = QRectF(0.1, 0.1, 0.8, 0.8);
    layer.setFrame(f);
    AnnotationEditController* c = layer.controller();
    // At the screen's ratio, as the window shows it (2 under QT_SCALE_FACTOR=2).
    const qreal ratio = layer.devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        ASSERT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    const auto image = [&] {
        QImage i(layer.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        i.setDevicePixelRatio(ratio);
        i.fill(Qt::white);
        return i;
    };
    QImage screen = image();
    layer.render(&screen, QPoint(), QRegion(), {});

    int checks = 0;
    const auto check = [&](const char* step) {
        const QRegion dirty = layer.dirtyRegion();
        if (!dirty.isEmpty()) {
            {
                QPainter p(&screen);
                for (const QRect& r : dirty)
                    p.fillRect(r, Qt::white);
            }
            // render() puts the region's top-left at the offset given.
            layer.render(&screen, dirty.boundingRect().topLeft(), dirty, {});
        }
        QImage fresh = image();
        {
            QPainter p(&fresh);
            layer.paintOverlays(p);
        }
        int differing = 0;
        for (int y = 0; y < fresh.height(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(fresh.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
            for (int x = 0; x < fresh.width(); ++x) {
                differing += std::abs(qRed(a[x]) - qRed(b[x])) + std::abs(qGreen(a[x]) - qGreen(b[x]))
                        + std::abs(qBlue(a[x]) - qBlue(b[x]))
                    > 30;
            }
        }
        EXPECT_EQ(differing, 0) << step;
        if (differing && qEnvironmentVariableIsSet("DUMP_REPAINT")) {
            screen.save(QStringLiteral("/tmp/rp-screen-%1.png").arg(checks));
            fresh.save(QStringLiteral("/tmp/rp-fresh-%1.png").arg(checks));
        }
        ++checks;
    };
    const auto drag = [&](QPointF from, QPointF to, const char* step) {
        c->handleDragChanged(from, from);
        check(step);
        for (int i = 1; i <= 3; ++i) {
            c->handleDragChanged(from, from + (to - from) * (i / 3.0));
            check(step);
        }
        c->handleDragEnded(from, to);
        check(step);
    };

    Annotation note = mark(Annotation::Kind::text, { 0.7, 0.8 }, { 0.7, 0.8 });
    note.text = QStringLiteral("Moved text");
    note.fontFraction = 0.06;
    doc->addAnnotation(note);
    check("text added");
    doc->setTool(AnnotationTool::box);
    drag({ 120, 80 }, { 300, 200 }, "box drawn");
    drag({ 200, 80 }, { 260, 150 }, "box moved");
    drag({ 360, 270 }, { 420, 330 }, "box resized");
    drag({ 420, 320 }, { 200, 150 }, "text moved");
    doc->setTool(AnnotationTool::pen);
    drag({ 100, 300 }, { 200, 350 }, "pen drawn");
    doc->setTool(AnnotationTool::blur);
    drag({ 300, 300 }, { 400, 360 }, "blur drawn");
    BeautifySettings s = doc->settings();
    s.cropRect = QRectF(0.2, 0.2, 0.6, 0.6);
    doc->setSettings(s);
    doc->setTool(AnnotationTool::crop);
    check("crop entered");
    drag({ 300, 200 }, { 340, 230 }, "crop moved");
    drag({ 312, 319 }, { 360, 360 }, "crop resized");
    c->cancelCrop();
    check("crop cancelled");
    doc->undo();
    check("undone");
    EXPECT_GT(checks, 40);
}

// The same on a screen of ratio 2, in a process of its own: the scale factor is read as the
// application starts.
TEST(AnnotationEditingLayerRepaint, RepaintingOnlyTheDirtyRegionMatchesAFullPaintAtRatio2)
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        GTEST_SKIP() << "this run is the scaled one";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=AnnotationEditingLayerRepaint.RepaintingOnlyTheDirtyRegionMatchesAFullPaint") });
    ASSERT_TRUE(child.waitForFinished(240000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST_F(AnnotationEditingLayerTest, TheStandardShapeBarEditsTheSelectedBox)
{
    // The layer's own bars by default: typing a width into the selected box's bar reaches it.
    doc->setTool(AnnotationTool::box);
    drag({ 200, 200 }, { 400, 300 });
    FormatBarContainer* bar = layer->formatBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(bar->content(), nullptr);
    QLineEdit* width = bar->findChild<QLineEdit*>();
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->text(), QStringLiteral("3"));
    const int steps = doc->undoCount();
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("7"));
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(doc->annotations().first().lineWidthFraction, 7.0);
    EXPECT_EQ(doc->undoCount(), steps + 1);
    EXPECT_EQ(layer->formatBar(), bar);
}

TEST_F(AnnotationEditingLayerTest, ADocumentClosedUnderTheLayerLeavesItInert)
{
    doc->setTool(AnnotationTool::text);
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(400, 250));
    QApplication::processEvents();
    QTest::mousePress(layer, Qt::LeftButton, {}, QPoint(100, 100));
    doc.reset(); // mid-drag, with a text being edited
    QTest::mouseMove(layer, QPoint(200, 200));
    QTest::mouseRelease(layer, Qt::LeftButton, {}, QPoint(200, 200));
    QTest::keyClick(layer, Qt::Key_Delete);
    layer->controller()->cancelCrop();
    layer->controller()->setEditedText(QStringLiteral("late"));
    EXPECT_EQ(layer->document(), nullptr);
    EXPECT_FALSE(stage.grab().isNull());
}
