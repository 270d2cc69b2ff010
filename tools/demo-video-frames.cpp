// Renders the frames of the onboarding's demo clip: a generated screenshot being styled by our own
// canvas painter (background fading in, padding growing, corners rounding, the secrets blurring),
// then easing back so the clip loops without a jump. scripts/make-demo-video encodes the frames.
//
//   demo-video-frames OUTPUT_DIR [--fps N] [--width W] [--height H]
//
// Writes OUTPUT_DIR/frame-0000.png ... and prints the number of frames.
#include "render/CanvasLayout.h"
#include "render/CanvasPainter.h"
#include "screens/ScreenshotGenerator.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double smooth(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Progress of a stage that runs from `start` to `end` seconds.
double stage(double seconds, double start, double end) { return smooth((seconds - start) / (end - start)); }

double mix(double a, double b, double t) { return a + (b - a) * t; }

struct Clip {
    QImage shot;
    QList<QRectF> secrets; // fractions of the shot
    QSize frameSize;
    double seconds = 5.0;
};

// The style at a moment of the clip: everything runs forward, holds, then returns to the plain
// shot during the last half second so the first frame follows the last.
QImage frameAt(const Clip& clip, double t)
{
    const double back = stage(t, clip.seconds - 0.55, clip.seconds);
    const auto forward = [&](double start, double end) { return stage(t, start, end) * (1 - back); };

    CanvasContent content;
    content.image = clip.shot;
    content.settings = BeautifySettings::defaults();
    content.settings.padding = mix(0, 14, forward(0.9, 1.9));
    content.settings.radius = mix(0, 22, forward(1.7, 2.5));
    content.settings.shadow = mix(0, 0.8, forward(0.9, 1.9));
    content.settings.background = BackgroundPreset::sunset;
    content.settings.redactStyle = RedactStyle::blur;
    const double blur = forward(2.7, 3.5);
    content.settings.redactIntensity = mix(0.05, 0.75, blur);
    if (blur > 0.01)
        content.redactionRects = clip.secrets;

    CanvasPaintOptions options;
    options.fadingBackground = BackgroundPreset::none;
    options.backgroundProgress = forward(0.3, 1.2);
    options.scheme = ColorScheme::dark;

    QImage frame(clip.frameSize, QImage::Format_RGB32);
    frame.fill(QColor(0x1a, 0x15, 0x22));
    QPainter p(&frame);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const CanvasLayout layout = canvasLayout(clip.shot, content.settings);
    // The largest canvas (full padding) fits the frame with a margin; smaller canvases keep the
    // same scale, so the padding visibly grows around a screenshot that stays put.
    BeautifySettings widest = content.settings;
    widest.padding = 14;
    const CanvasLayout largest = canvasLayout(clip.shot, widest);
    const double scale = std::min(
        clip.frameSize.width() * 0.94 / largest.canvasWidth, clip.frameSize.height() * 0.94 / largest.canvasHeight);
    p.translate((clip.frameSize.width() - layout.canvasWidth * scale) / 2,
        (clip.frameSize.height() - layout.canvasHeight * scale) / 2);
    p.scale(scale, scale);
    // With no padding the bare screenshot is all there is; the transparent `none` canvas shows the
    // backdrop around nothing.
    paintBeautifiedCanvas(p, content, options);
    return frame;
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("folder for the PNG frames"));
    QCommandLineOption fpsOption(
        QStringLiteral("fps"), QStringLiteral("frames per second"), QStringLiteral("n"), QStringLiteral("30"));
    QCommandLineOption widthOption(
        QStringLiteral("width"), QStringLiteral("frame width"), QStringLiteral("px"), QStringLiteral("1240"));
    QCommandLineOption heightOption(
        QStringLiteral("height"), QStringLiteral("frame height"), QStringLiteral("px"), QStringLiteral("680"));
    parser.addOptions({ fpsOption, widthOption, heightOption });
    parser.addHelpOption();
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QDir out(parser.positionalArguments().first());
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "demo-video-frames: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    ShotRecipe recipe;
    recipe.layout = ShotLayout::settings;
    recipe.theme = ShotTheme::light;
    recipe.seed = 7;
    recipe.logicalSize = QSize(940, 540);
    const GeneratedShot shot = generateShot(recipe);

    Clip clip;
    clip.shot = shot.image;
    clip.frameSize = QSize(parser.value(widthOption).toInt(), parser.value(heightOption).toInt());
    for (const PlantedItem& item : shot.planted) {
        const QRectF box = QRectF(item.box).adjusted(-4, -3, 4, 3);
        clip.secrets.append(QRectF(box.x() / shot.image.width(), box.y() / shot.image.height(),
            box.width() / shot.image.width(), box.height() / shot.image.height()));
    }

    const int fps = std::max(1, parser.value(fpsOption).toInt());
    const int frames = int(std::lround(clip.seconds * fps));
    for (int i = 0; i < frames; ++i) {
        const QString path = out.filePath(QStringLiteral("frame-%1.png").arg(i, 4, 10, QLatin1Char('0')));
        if (!frameAt(clip, double(i) / fps).save(path)) {
            std::fprintf(stderr, "demo-video-frames: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("%d\n", frames);
    return 0;
}
