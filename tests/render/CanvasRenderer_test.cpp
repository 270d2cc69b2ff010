#include "render/CanvasPainter.h"
#include "render/CanvasRenderer.h"

#include "support/LogCapture.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

TEST(CanvasRenderer, SocialSizesComeOutAtTheirTargetWidth)
{
    BeautifySettings s = BeautifySettings::defaults();
    int social = 0;
    for (const AspectRatioOption option : allCases<AspectRatioOption>) {
        s.aspect = option;
        for (const QSize shot : { QSize(2880, 1800), QSize(777, 1333), QSize(1000, 1000), QSize(31, 7) }) {
            const CanvasLayout layout = canvasLayout(QSizeF(shot), s);
            const auto size = renderPixelSize(layout, renderScale(layout, s));
            ASSERT_TRUE(size.has_value());
            if (const auto target = socialTargetWidth(option)) {
                EXPECT_EQ(size->width(), *target) << rawValue(option).toStdString();
                EXPECT_NEAR(double(size->width()) / size->height(), *ratio(option), 2.0 / size->height());
            } else {
                EXPECT_DOUBLE_EQ(renderScale(layout, s), 2.0);
            }
        }
        social += socialTargetWidth(option).has_value();
    }
    EXPECT_EQ(social, 8);

    // Instagram on a 900-point canvas: 1.2 pixels a point.
    s.aspect = AspectRatioOption::instagram;
    s.background = BackgroundPreset::none;
    EXPECT_DOUBLE_EQ(renderScale(QImage(900, 1125, QImage::Format_RGB32), s), 1.2);
}

TEST(CanvasRenderer, PlainRatiosRenderAtTwoPixelsAPoint)
{
    CanvasLayout layout;
    layout.canvasWidth = 1000;
    layout.canvasHeight = 562.5;
    EXPECT_EQ(renderPixelSize(layout, 2.0), QSize(2000, 1125));
    layout.canvasWidth = 1000.2; // partial pixels are covered, not cut off
    EXPECT_EQ(renderPixelSize(layout, 2.0)->width(), 2001);
}

TEST(CanvasRenderer, OversizedOrDegenerateRendersAreRefused)
{
    BeautifySettings huge = BeautifySettings::defaults();
    huge.padding = 5000; // a stored style can ask for anything
    LogCapture log;
    const CanvasLayout layout = canvasLayout(QSizeF(2880, 1800), huge);
    EXPECT_FALSE(renderPixelSize(layout, renderScale(layout, huge)).has_value());
    EXPECT_EQ(log.lines.size(), 1);

    BeautifySettings negative = BeautifySettings::defaults();
    negative.padding = -60; // the canvas collapses below nothing
    const CanvasLayout collapsed = canvasLayout(QSizeF(1000, 800), negative);
    EXPECT_FALSE(renderPixelSize(collapsed, 2.0).has_value());
    negative.aspect = AspectRatioOption::x; // and a social scale would divide by it
    const CanvasLayout social = canvasLayout(QSizeF(1000, 800), negative);
    EXPECT_FALSE(renderPixelSize(social, renderScale(social, negative)).has_value());

    // Just under the cap is fine.
    CanvasLayout big;
    big.canvasWidth = 5000;
    big.canvasHeight = 5000;
    EXPECT_TRUE(renderPixelSize(big, 2.0).has_value());
}

namespace {
// Bytes of address space this process maps now.
qint64 mappedBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    return statm.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

QImage bigShot()
{
    QImage image(3000, 2000, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    return image;
}

BeautifySettings plainStyle()
{
    BeautifySettings s = BeautifySettings::defaults();
    s.background = BackgroundPreset::none;
    s.shadow = 0;
    return s;
}
}

// Run by the test below in a process of its own whose address space holds the output image but
// not the card's layer as well.
TEST(CanvasRenderer, DISABLED_NoMemoryForTheCardChild)
{
    const QImage shot = bigShot();
    const BeautifySettings s = plainStyle();
    const CanvasLayout layout = canvasLayout(shot, s);
    const QSize size = *renderPixelSize(layout, renderScale(layout, s));
    const qint64 outBytes = qint64(size.width()) * size.height() * 4;
    // Once without a limit, so the painter's helper threads exist before it applies.
    ASSERT_FALSE(renderCanvasImage(shot, s, {}, {}, WatermarkConfig {}).isNull());

    LogCapture log;
    const rlimit limit { rlim_t(mappedBytes() + outBytes + outBytes / 3), RLIM_INFINITY };
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
    const QImage rendered = renderCanvasImage(shot, s, {}, {}, WatermarkConfig {});
    ASSERT_EQ(log.count(QStringLiteral("no memory for a")), 1) << "the limit did not hit the card's layer";
    EXPECT_TRUE(rendered.isNull()) << "a render without its card was reported as a success";
}

TEST(CanvasRenderer, NoMemoryForTheCardFailsTheRender)
{
#ifdef LUMAFORGE_SANITIZED
    GTEST_SKIP() << "the sanitizers' allocator does not run under an address-space limit";
#endif
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=CanvasRenderer.DISABLED_NoMemoryForTheCardChild") });
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST(CanvasRenderer, SmallerThanTheShotRendersAverageInsteadOfShimmering)
{
    // One-pixel checks: a true reduction is an even grey; skipped pixels are black or white.
    QImage shot(2880, 1800, QImage::Format_RGB32);
    for (int y = 0; y < shot.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shot.scanLine(y));
        for (int x = 0; x < shot.width(); ++x)
            line[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    BeautifySettings s = BeautifySettings::defaults();
    for (const AspectRatioOption aspect : { AspectRatioOption::instagram, AspectRatioOption::pinterest }) {
        s.aspect = aspect;
        const QImage rendered = renderCanvasImage(shot, s, {}, {}, WatermarkConfig {});
        ASSERT_FALSE(rendered.isNull());
        const CanvasLayout layout = canvasLayout(shot, s);
        const double scale = renderScale(layout, s);
        ASSERT_LT(scale * layout.imageWidth / shot.width(), 0.5);
        // The middle of the screenshot, away from its rounded edges.
        const QRectF image = imageRect(layout, s);
        const QRect inner = QRectF(image.center() * scale, QSizeF(0, 0)).toRect().adjusted(-60, -40, 60, 40);
        int worst = 0;
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x)
                worst = std::max(worst, std::abs(qGray(rendered.pixel(x, y)) - 128));
        EXPECT_LT(worst, 24) << rawValue(aspect).toStdString();
    }
}

namespace {
QImage busyShot(QSize size, QImage::Format format)
{
    QImage shot(size, format);
    shot.fill(Qt::transparent);
    QPainter p(&shot);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor(250, 250, 240));
    g.setColorAt(1, QColor(20, 60, 90));
    // A transparent margin when the format has alpha: the card is then a cut-out with a
    // silhouette shadow drawn from the shot's own pixels.
    p.fillRect(QRect(QPoint(0, 0), size).adjusted(40, 30, -40, -30), g);
    p.setPen(Qt::black);
    for (int i = 0; i < 10; ++i)
        p.drawText(60, 60 + i * 60, QStringLiteral("card 4111 1111 1111 111%1 · 192.168.0.%1").arg(i));
    p.end();
    return shot;
}
}

TEST(CanvasRenderer, ARenderIsExactlyTheCanvasPaintedAtItsScale)
{
    // Renders and their card layers are filled in bands on every core; what comes out must be the
    // very pixels the canvas painter gives on an ordinary image, opaque and transparent, with
    // hidden areas, shadows and the watermark.
    const QImage shot = busyShot(QSize(1600, 1000), QImage::Format_RGB32);
    const QList<QRectF> hidden { QRectF(0.02, 0.03, 0.3, 0.04), QRectF(0.4, 0.5, 0.2, 0.05) };
    const WatermarkConfig mark { QStringLiteral("Lumaforge"), QImage(), false, WatermarkPosition::bottomRight };
    for (const BackgroundPreset background : { BackgroundPreset::ocean, BackgroundPreset::none }) {
        BeautifySettings s = BeautifySettings::defaults();
        s.background = background;
        s.redactKinds = { RedactionKind::email };
        const QImage rendered = renderCanvasImage(shot, s, {}, hidden, mark);
        ASSERT_FALSE(rendered.isNull());

        const double scale = renderScale(shot, s);
        const bool transparent = background == BackgroundPreset::none;
        QImage expected(rendered.size(), transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        expected.fill(transparent ? Qt::transparent : Qt::black);
        {
            QPainter p(&expected);
            p.scale(scale, scale);
            ASSERT_TRUE(paintBeautifiedCanvas(p, CanvasContent { shot, s, {}, hidden, mark }));
        }
        expected.setDevicePixelRatio(scale);
        EXPECT_TRUE(rendered == expected) << rawValue(background).toStdString();
    }
}


namespace {
// The largest difference of any channel of any pixel; 256 when the sizes or formats differ.
int largestDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format() || a.devicePixelRatio() != b.devicePixelRatio())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            worst = std::max({ worst, std::abs(qRed(p[col]) - qRed(q[col])), std::abs(qGreen(p[col]) - qGreen(q[col])),
                std::abs(qBlue(p[col]) - qBlue(q[col])), std::abs(qAlpha(p[col]) - qAlpha(q[col])) });
    }
    return worst;
}
}

TEST(CanvasRenderer, RendersFromAKeptBackdropAreTheRendersOfOnePass)
{
    // The backdrop is kept for a shot in a style; a render of the same shot and style, whatever it
    // hides and whatever marks it carries, starts from it and must come out pixel for pixel as
    // one painted in a single pass. Framed, cut-out, transparent, cropped and flipped, social size.
    const QImage opaque = busyShot(QSize(1500, 950), QImage::Format_RGB32);
    const QImage cutOut = busyShot(QSize(1200, 800), QImage::Format_ARGB32_Premultiplied);
    BeautifySettings framed = BeautifySettings::defaults();
    framed.windowFrame = WindowFrameStyle::dark;
    framed.showURL = true;
    BeautifySettings bare = BeautifySettings::defaults();
    bare.background = BackgroundPreset::none;
    bare.radius = 30;
    BeautifySettings cropped = BeautifySettings::defaults();
    cropped.cropRect = QRectF(0.1, 0.05, 0.7, 0.8);
    cropped.flipH = true;
    cropped.aspect = AspectRatioOption::instagram;
    cropped.redactStyle = RedactStyle::pixelate;
    Annotation box;
    box.kind = Annotation::Kind::box;
    box.start = QPointF(0.2, 0.2);
    box.end = QPointF(0.6, 0.5);
    Annotation note;
    note.kind = Annotation::Kind::text;
    note.start = QPointF(0.3, 0.7);
    note.text = QStringLiteral("look here");
    const QList<QRectF> hidden { QRectF(0.02, 0.03, 0.5, 0.05), QRectF(0.3, 0.4, 0.3, 0.06) };
    const WatermarkConfig mark { QStringLiteral("Lumaforge"), QImage(), false, WatermarkPosition::topLeft };

    struct Case {
        QImage shot;
        BeautifySettings style;
    };
    for (const Case& c : { Case { opaque, BeautifySettings::defaults() }, Case { opaque, framed },
             Case { cutOut, BeautifySettings::defaults() }, Case { cutOut, bare }, Case { opaque, cropped } }) {
        const QString what = QStringLiteral("%1 %2 %3").arg(c.shot.format()).arg(rawValue(c.style.background)).arg(rawValue(c.style.aspect));
        releaseCanvasBackdrop();
        BeautifySettings hiding = c.style;
        hiding.redactKinds = { RedactionKind::card, RedactionKind::ip };
        const QImage onePassPlain = renderCanvasImage(c.shot, c.style, {}, {}, mark);
        const QImage onePassHiding = renderCanvasImage(c.shot, hiding, { box, note }, hidden, mark);
        ASSERT_FALSE(onePassPlain.isNull()) << what.toStdString();

        prepareCanvasBackdrop(c.shot, c.style);
        EXPECT_TRUE(renderCanvasImage(c.shot, c.style, {}, {}, mark) == onePassPlain) << what.toStdString();
        EXPECT_TRUE(renderCanvasImage(c.shot, hiding, { box, note }, hidden, mark) == onePassHiding) << what.toStdString();
        // After a plain render, one that only hides more is painted again under its bars alone:
        // bars that overlap, touch the shot's edges or lie beyond them, as one pass paints them.
        const QList<QRectF> scattered { QRectF(0.02, 0.03, 0.5, 0.05), QRectF(0.45, 0.05, 0.3, 0.06), QRectF(-0.1, 0.9, 0.3, 0.2),
            QRectF(0.9, 0.5, 0.3, 0.04), QRectF(0.6, 0.62, -0.2, 0.03), QRectF(1.2, 1.2, 0.1, 0.1) };
        // The shot is drawn into a layer the size of each area, and the raster engine's fixed point
        // may round a sampled pixel one level apart.
        // A plain render someone still holds is copied, not painted over.
        const QImage held = renderCanvasImage(c.shot, c.style, {}, {}, mark);
        const QImage partly = renderCanvasImage(c.shot, hiding, {}, scattered, mark);
        EXPECT_TRUE(held == onePassPlain) << what.toStdString();
        releaseCanvasBackdrop();
        const QImage scatteredOnePass = renderCanvasImage(c.shot, hiding, {}, scattered, mark);
        EXPECT_LE(largestDifference(partly, scatteredOnePass), 1) << what.toStdString();
        // Held by no one, it is painted over in place, with the same result.
        prepareCanvasBackdrop(c.shot, c.style);
        (void)renderCanvasImage(c.shot, c.style, {}, {}, mark);
        EXPECT_LE(largestDifference(renderCanvasImage(c.shot, hiding, {}, scattered, mark), scatteredOnePass), 1) << what.toStdString();
        // Nor from a plain render with another watermark.
        prepareCanvasBackdrop(c.shot, c.style);
        renderCanvasImage(c.shot, c.style, {}, {}, WatermarkConfig { QStringLiteral("Other"), QImage(), false, WatermarkPosition::bottomRight });
        EXPECT_LE(largestDifference(renderCanvasImage(c.shot, hiding, {}, scattered, mark), scatteredOnePass), 1) << what.toStdString();
        // Another style or another shot of the same size does not start from it.
        BeautifySettings wider = c.style;
        wider.padding += 4;
        releaseCanvasBackdrop();
        const QImage widerOnePass = renderCanvasImage(c.shot, wider, {}, {}, mark);
        prepareCanvasBackdrop(c.shot, c.style);
        EXPECT_TRUE(renderCanvasImage(c.shot, wider, {}, {}, mark) == widerOnePass) << what.toStdString();
        // A different shot of the same size: a cut-out's shadow follows its own outline.
        QImage other = c.shot.copy();
        {
            QPainter p(&other);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(QRect(200, 100, 500, 400), other.hasAlphaChannel() ? QColor(Qt::transparent) : QColor(Qt::red));
        }
        releaseCanvasBackdrop();
        const QImage otherOnePass = renderCanvasImage(other, hiding, {}, hidden, mark);
        prepareCanvasBackdrop(c.shot, c.style);
        EXPECT_TRUE(renderCanvasImage(other, hiding, {}, hidden, mark) == otherOnePass) << what.toStdString();
    }
    releaseCanvasBackdrop();
}
