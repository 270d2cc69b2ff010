// Writes one PNG per state of the annotation editing layer, laid over a styled shot the way the
// editor's stage shows it, so each can be checked by eye: selected box, arrow and hand-drawn
// redaction, a blur being drawn, the crop near the top edge and away from it, text being typed,
// and a selected text with its bar. Usage: editing-sheets [output folder]
#include "editor/AnnotationEditController.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/EditorDocument.h"
#include "render/CanvasLayout.h"
#include "screens/ScreenshotGenerator.h"
#include "ui/BeautifiedCanvas.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {
// The stage stand-in: a dark surround with the canvas fitted in it and the layer exactly over
// the canvas; the layer's floating parts live in the stage.
class Scene {
public:
    Scene(const QImage& shot, const BeautifySettings& settings)
        : doc(shot, QStringLiteral("Shot"), settings, DetectionResult {})
    {
        stage.resize(1100, 760);
        stage.setAutoFillBackground(true);
        QPalette palette = stage.palette();
        palette.setColor(QPalette::Window, QColor(38, 38, 42));
        stage.setPalette(palette);
        canvas = new BeautifiedCanvas(&stage);
        layer = new AnnotationEditingLayer(&doc, &stage);
        layer->setOverlayHost(&stage);
        layer->setShotDraggable(true);
        const auto relayout = [this] { layout(); };
        QObject::connect(&doc, &EditorDocument::settingsChanged, &stage, relayout);
        QObject::connect(&doc, &EditorDocument::annotationsChanged, &stage, relayout);
        QObject::connect(&doc, &EditorDocument::manualRedactionsChanged, &stage, relayout);
        QObject::connect(&doc, &EditorDocument::toolChanged, &stage, relayout);
        stage.show();
        layout();
    }

    // What the stage does on every change: the canvas without text marks (uncropped while
    // cropping), fitted, and the layer's inputs to match.
    void layout()
    {
        BeautifySettings shown = doc.settings();
        if (doc.tool() == AnnotationTool::crop)
            shown.cropRect = QRectF(0, 0, 1, 1);
        const CanvasLayout l = canvasLayout(doc.image(), shown);
        const double scale = std::min(1000.0 / l.canvasWidth, 660.0 / l.canvasHeight);
        const QSizeF display(l.canvasWidth * scale, l.canvasHeight * scale);
        const QRect place(int((stage.width() - display.width()) / 2), int((stage.height() - display.height()) / 2),
            int(std::ceil(display.width())), int(std::ceil(display.height())));
        CanvasContent content;
        content.image = doc.image();
        content.settings = shown;
        for (const Annotation& a : doc.annotations()) {
            if (a.kind != Annotation::Kind::text)
                content.annotations.append(a);
        }
        content.redactionRects = doc.allRedactionRects();
        canvas->setContent(content);
        canvas->setGeometry(place);
        layer->move(place.topLeft());
        EditingFrame f;
        f.displaySize = display;
        f.shotRectNorm = shotRectNorm(l, shown);
        f.imageRectNorm = imageRectNorm(l, shown);
        f.crop = shown.cropRect;
        layer->setFrame(f);
    }

    QPointF at(double x, double y) const
    {
        const QSizeF s = layer->frame().displaySize;
        return { x * s.width(), y * s.height() };
    }

    void save(const QString& path)
    {
        // Let the bars' springs settle and the text field take focus.
        QEventLoop loop;
        QTimer::singleShot(700, &loop, &QEventLoop::quit);
        loop.exec();
        if (qEnvironmentVariableIsSet("SHEETS_SCREEN")) {
            stage.repaint();
            QApplication::processEvents();
            stage.screen()->grabWindow(stage.winId()).save(path + QStringLiteral(".screen.png"));
        }
        if (!stage.grab().save(path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        else
            std::printf("%s\n", qPrintable(path));
    }

    EditorDocument doc;
    QWidget stage;
    BeautifiedCanvas* canvas;
    AnnotationEditingLayer* layer;
};

Annotation make(Annotation::Kind kind, QPointF start, QPointF end, int color = 0xFF3B30)
{
    Annotation a;
    a.kind = kind;
    a.start = start;
    a.end = end;
    a.colorHex = color;
    a.lineWidthFraction = 3;
    a.fontFraction = 0.05;
    return a;
}

Annotation note(const QString& text, QPointF at, int color = 0xFFFFFF)
{
    Annotation a = make(Annotation::Kind::text, at, at, color);
    a.text = text;
    return a;
}
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("editing-sheets");
    QDir().mkpath(folder);

    ShotRecipe recipe;
    recipe.layout = ShotLayout::mail;
    recipe.logicalSize = QSize(1280, 800);
    const QImage shot = generateShot(recipe).image;
    const BeautifySettings style = BeautifySettings::defaults();

    const auto scene = [&](const QString& name, const BeautifySettings& settings, const std::function<void(Scene&)>& set) {
        Scene s(shot, settings);
        set(s);
        s.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    };

    scene(QStringLiteral("1-box-selected"), style, [](Scene& s) {
        s.doc.addAnnotation(note(QStringLiteral("Renewal due"), { 0.62, 0.7 }));
        s.doc.addAnnotation(make(Annotation::Kind::box, { 0.3, 0.3 }, { 0.55, 0.5 }));
    });
    scene(QStringLiteral("2-arrow-selected"), style, [](Scene& s) {
        s.doc.addAnnotation(make(Annotation::Kind::box, { 0.3, 0.3 }, { 0.55, 0.5 }, 0x34C759));
        s.doc.addAnnotation(make(Annotation::Kind::arrow, { 0.75, 0.75 }, { 0.56, 0.52 }));
    });
    scene(QStringLiteral("3-redaction-selected"), style, [](Scene& s) {
        s.doc.setManualRedactions({ QRectF(0.2, 0.25, 0.35, 0.08) });
        s.doc.setSelectedManualRedaction(0);
    });
    scene(QStringLiteral("4-blur-draft"), style, [](Scene& s) {
        s.doc.setTool(AnnotationTool::blur);
        const QPointF from = s.at(0.25, 0.35);
        s.layer->controller()->handleDragChanged(from, from);
        s.layer->controller()->handleDragChanged(from, s.at(0.6, 0.48));
    });
    BeautifySettings tight = style;
    tight.padding = 2;
    scene(QStringLiteral("5-crop-near-top"), tight, [](Scene& s) {
        BeautifySettings c = s.doc.settings();
        c.cropRect = QRectF(0.1, 0.0, 0.7, 0.8);
        s.doc.setSettings(c);
        s.doc.setTool(AnnotationTool::crop);
    });
    scene(QStringLiteral("6-crop-away-from-top"), style, [](Scene& s) {
        BeautifySettings c = s.doc.settings();
        c.cropRect = QRectF(0.15, 0.25, 0.6, 0.5);
        s.doc.setSettings(c);
        s.doc.setTool(AnnotationTool::crop);
    });
    scene(QStringLiteral("7-text-typing"), style, [](Scene& s) {
        s.doc.addAnnotation(note(QStringLiteral("Other text stays"), { 0.35, 0.8 }, 0xFFD60A));
        s.doc.setTool(AnnotationTool::text);
        const QPointF where = s.at(0.5, 0.3);
        s.layer->controller()->handleDragChanged(where, where);
        s.layer->controller()->handleDragEnded(where, where);
        QApplication::processEvents();
        s.layer->controller()->setEditedText(QStringLiteral("Ship it 🚀"));
    });
    scene(QStringLiteral("8-text-selected"), style, [](Scene& s) {
        Annotation pen = make(Annotation::Kind::pen, { 0.2, 0.7 }, { 0.4, 0.75 }, 0x0A84FF);
        for (int i = 0; i <= 20; ++i)
            pen.points.append(QPointF(0.2 + i * 0.01, 0.72 + 0.03 * std::sin(i / 3.0)));
        s.doc.addAnnotation(pen);
        s.doc.addAnnotation(note(QStringLiteral("Selected text"), { 0.05, 0.4 }, 0xFF3B30));
        s.doc.addAnnotation(make(Annotation::Kind::highlight, { 0.6, 0.15 }, { 0.85, 0.25 }, 0xFFD60A));
        s.doc.setSelectedAnnotation(s.doc.annotations().at(1).id);
    });
    return 0;
}
