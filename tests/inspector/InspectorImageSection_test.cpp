// The Flip H and Flip V chips of the assembled editor window: every mark stays over the part of the
// shot it was drawn on, as the copy renders it, through undo and redo, with the shot off the
// centre of a wider canvas and cropped.
#include "editor_window/EditorWindowKit.h"

#include "editor_window/ActionPill.h"
#include "editor_window/EditorToolbar.h"
#include "editor_window/ToolDock.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorImageSection.h"
#include "inspector/InspectorView.h"
#include "render/CanvasRenderer.h"

#include <QLineEdit>

#include <cmath>

namespace {
constexpr int kColumns = 8;
constexpr int kRows = 6;
constexpr int kCell = 50;

QColor cellColor(int column, int row)
{
    return QColor(40 + column * 22, 50 + row * 28, 90 + (column + row) % 3 * 30);
}

// 8 x 6 cells of 50 pixels, each of its own muted colour.
QImage cells()
{
    QImage image(kColumns * kCell, kRows * kCell, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, cellColor(x / kCell, y / kCell));
    return image;
}

// The cell (column + 8 x row) whose colour a pixel shows, or -1.
int cellShown(const QImage& image, QPoint at)
{
    const QColor c = image.pixelColor(at);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const QColor cell = cellColor(column, row);
            if (std::abs(c.red() - cell.red()) <= 4 && std::abs(c.green() - cell.green()) <= 4
                && std::abs(c.blue() - cell.blue()) <= 4)
                return column + kColumns * row;
        }
    }
    return -1;
}

// The marks' own colours, far from every cell's.
constexpr int kBox = 0x00FF00;
constexpr int kArrow = 0xFF00FF;
constexpr int kText = 0xFFFF00;
constexpr int kHighlight = 0x00FFFF;

QRect extentOf(const QImage& image, int hex)
{
    const QColor want(QRgb(0xFF000000u | unsigned(hex)));
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - want.red()) < 40 && std::abs(c.green() - want.green()) < 40
                && std::abs(c.blue() - want.blue()) < 40)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The cells under each mark as the copy shows them: the centre of the box, of the text and of
// the highlight's window, and the arrow's head and tail.
struct Under {
    int box = -1;
    int head = -1;
    int tail = -1;
    int text = -1;
    int highlight = -1;
    int textWidth = 0; // the text keeps its size and reads on, not mirrored
    bool operator==(const Under& o) const
    {
        return box == o.box && head == o.head && tail == o.tail && text == o.text && highlight == o.highlight
            && std::abs(textWidth - o.textWidth) <= 2;
    }
};

std::ostream& operator<<(std::ostream& out, const Under& u)
{
    return out << "box " << u.box << ", arrow head " << u.head << " tail " << u.tail << ", text " << u.text
               << " (" << u.textWidth << " px wide), highlight " << u.highlight;
}
}

class FlipChips : public EditorWindowKit {
protected:
    // Opens the cells right of the centre of a 16:9 canvas, cropped to `crop`. No background, so
    // no colour of a gradient is taken for a mark's.
    void open(QRectF crop)
    {
        BeautifySettings s = BeautifySettings::defaults();
        s.background = BackgroundPreset::none;
        s.aspect = AspectRatioOption::r16_9;
        s.balance = false;
        s.shotOffset = QSizeF(0.08, 0);
        s.cropRect = crop;
        view.reset();
        doc = std::shared_ptr<EditorDocument>(makeDocument(scan, DetectionResult {}, s, cells()));
        makeView();
        keepCopies = true;
    }

    // A point of the whole shot (fractions), where the stage shows it now (unflipped).
    QPoint shotPoint(QPointF u) const
    {
        const QRectF crop = doc->settings().cropRect;
        return imagePoint({ (u.x() - crop.x()) / crop.width(), (u.y() - crop.y()) / crop.height() });
    }

    void drawWith(AnnotationTool tool, int color, QPointF from, QPointF to)
    {
        click(centreOf(view->toolDock()->tile(tool)));
        // Chosen with nothing selected, so only marks to come take it.
        doc->setAnnotationColor(color);
        drag(shotPoint(from), shotPoint(to), 6);
    }

    // Each mark over cells of its own, all within the highlight's window (so none is dimmed),
    // placed at cell centres.
    void drawMarks()
    {
        drawWith(AnnotationTool::highlight, kHighlight, { 0.15, 0.17 }, { 0.8, 0.7 });
        drawWith(AnnotationTool::box, kBox, { 0.3, 0.3 }, { 0.575, 0.53 });
        drawWith(AnnotationTool::arrow, kArrow, { 0.2, 0.5833 }, { 0.5625, 0.5833 });
        click(centreOf(view->toolDock()->tile(AnnotationTool::text)));
        doc->setAnnotationColor(kText);
        click(shotPoint({ 0.6875, 0.25 }));
        QTest::keyClicks(layer()->textField(), QStringLiteral("Hi"));
        key(Qt::Key_Return);
        click(backgroundPoint());
        ASSERT_EQ(doc->annotations().size(), 4);
    }

    Under underMarks()
    {
        click(centreOf(view->actionPill()->copyButton()));
        const QImage copy = copied;
        const QImage bare
            = renderCanvasImage(doc->image(), doc->settings(), {}, doc->allRedactionRects(), currentWatermarkConfig(*prefs));
        EXPECT_EQ(copy.size(), bare.size());
        Under u;
        u.box = cellShown(bare, extentOf(copy, kBox).center());
        const QRect text = extentOf(copy, kText);
        u.text = cellShown(bare, text.center());
        u.textWidth = text.width();
        u.highlight = cellShown(bare, extentOf(copy, kHighlight).center());
        // The head is the end of the arrow with the taller ink.
        const QRect arrow = extentOf(copy, kArrow);
        const auto inkAt = [&](int x) {
            const QRect column = extentOf(copy.copy(x, arrow.top(), 1, arrow.height()), kArrow);
            return column.height();
        };
        const int inset = 6;
        const bool headRight = inkAt(arrow.right() - 3 * inset) > inkAt(arrow.left() + 3 * inset);
        const int y = arrow.center().y();
        u.head = cellShown(bare, QPoint(headRight ? arrow.right() - inset : arrow.left() + inset, y));
        u.tail = cellShown(bare, QPoint(headRight ? arrow.left() + inset : arrow.right() - inset, y));
        return u;
    }

    InspectorChip* chip(bool horizontal) const
    {
        InspectorChip* c = horizontal ? view->inspector()->imageSection()->flipHChip()
                                      : view->inspector()->imageSection()->flipVChip();
        EXPECT_TRUE(c->visibleRegion().contains(c->rect().center()));
        return c;
    }
};

TEST_F(FlipChips, MarksStayOverTheirContentThroughFlipsUndoAndRedo)
{
    open(QRectF(0, 0, 1, 1));
    drawMarks();
    const Under drawn = underMarks();
    // Drawn over the cells meant: (3, 2), (4, 3), (1, 3), (5, 1), and the window's centre (3, 2).
    ASSERT_EQ(drawn, (Under { 3 + 8 * 2, 4 + 8 * 3, 1 + 8 * 3, 5 + 8 * 1, 3 + 8 * 2, drawn.textWidth }));

    click(centreOf(chip(true)));
    ASSERT_TRUE(doc->settings().flipH);
    EXPECT_EQ(underMarks(), drawn) << "after Flip H";
    click(centreOf(chip(false)));
    ASSERT_TRUE(doc->settings().flipV);
    EXPECT_EQ(underMarks(), drawn) << "after Flip V";

    click(centreOf(view->toolbar()->undoButton()));
    ASSERT_FALSE(doc->settings().flipV);
    EXPECT_EQ(underMarks(), drawn) << "after an undo";
    click(centreOf(view->toolbar()->undoButton()));
    ASSERT_FALSE(doc->settings().flipH);
    EXPECT_EQ(underMarks(), drawn) << "after two undos";
    click(centreOf(view->toolbar()->redoButton()));
    ASSERT_TRUE(doc->settings().flipH);
    EXPECT_EQ(underMarks(), drawn) << "after a redo";
}

TEST_F(FlipChips, MarksStayOverTheirContentWhenACroppedShotIsFlipped)
{
    open(QRectF(0.125, 1.0 / 6, 0.75, 4.0 / 6));
    drawMarks();
    const Under drawn = underMarks();
    ASSERT_EQ(drawn, (Under { 3 + 8 * 2, 4 + 8 * 3, 1 + 8 * 3, 5 + 8 * 1, 3 + 8 * 2, drawn.textWidth }));

    click(centreOf(chip(false)));
    ASSERT_TRUE(doc->settings().flipV);
    EXPECT_EQ(underMarks(), drawn) << "after Flip V";
    click(centreOf(chip(true)));
    ASSERT_TRUE(doc->settings().flipH);
    EXPECT_EQ(underMarks(), drawn) << "after Flip H";
}
