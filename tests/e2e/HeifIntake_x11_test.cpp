// HEIC shots through every intake: saved into the watched folder, opened from the file dialog and
// pasted as a file address on the real application, and dropped on the empty editor; damaged and
// enormous ones are said in the words other images get.
#include "capture/CaptureManager.h"
#include "editor_window/EmptyStateView.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenshotSettings.h"
#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"
#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QString heicPath(const char* name)
{
    return QStringLiteral(LUMAFORGE_TEST_DATA_DIR "/heic/") + QLatin1String(name);
}

QByteArray heic(const char* name)
{
    QFile file(heicPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The two test files as shown: their size and the colours of their quadrants, clockwise from
// the top left.
struct Picture {
    const char* file;
    QSize size;
    QRgb quadrants[4];
};
const Picture kOriented { "oriented.heic", QSize(40, 64),
    { qRgb(230, 30, 30), qRgb(40, 70, 230), qRgb(250, 250, 250), qRgb(30, 200, 60) } };
const Picture kQuadrants { "quadrants.heic", QSize(64, 40),
    { qRgb(230, 30, 30), qRgb(30, 200, 60), qRgb(250, 250, 250), qRgb(40, 70, 230) } };

// The styled PNG of a shot in the default style (rendered at twice the canvas's size, rounded
// up), and where the shot lies in it.
struct Styled {
    QSize size;
    QRectF shot;
};

Styled styled(QSize shot)
{
    const BeautifySettings settings = BeautifySettings::defaults();
    const CanvasLayout layout = canvasLayout(QSizeF(shot), settings);
    const QRectF r = imageRect(layout, settings);
    return { QSize(int(std::ceil(layout.canvasWidth * 2 - 1e-6)), int(std::ceil(layout.canvasHeight * 2 - 1e-6))),
        QRectF(r.x() * 2, r.y() * 2, r.width() * 2, r.height() * 2) };
}

// The styled image holds the picture upright: each quadrant's colour where the file says it is.
::testing::AssertionResult showsUpright(const QImage& image, const Picture& picture)
{
    const Styled at = styled(picture.size);
    if (image.size() != at.size)
        return ::testing::AssertionFailure() << "a styled image of " << image.width() << "x" << image.height();
    const QPointF spots[] = { { 0.25, 0.25 }, { 0.75, 0.25 }, { 0.75, 0.75 }, { 0.25, 0.75 } };
    for (int i = 0; i < 4; ++i) {
        const QPointF p(at.shot.x() + spots[i].x() * at.shot.width(), at.shot.y() + spots[i].y() * at.shot.height());
        const QRgb c = image.pixel(p.toPoint());
        const QRgb want = picture.quadrants[i];
        if (std::abs(qRed(c) - qRed(want)) + std::abs(qGreen(c) - qGreen(want)) + std::abs(qBlue(c) - qBlue(want)) > 40)
            return ::testing::AssertionFailure() << "quadrant " << i << ": " << qRed(c) << "," << qGreen(c) << "," << qBlue(c);
    }
    return ::testing::AssertionSuccess();
}

bool xdotool(const QStringList& arguments)
{
    int code = -1;
    Desktop::run(QStringLiteral("xdotool"), arguments, 5000, &code);
    return code == 0;
}

// The editor's styled copy of `picture` once Ctrl+C puts it on the clipboard.
QImage copiedFromEditor(const QString& window, const Picture& picture)
{
    const QSize size = styled(picture.size).size;
    QImage found;
    for (int attempt = 0; attempt < 10 && found.size() != size; ++attempt) {
        xdotool({ "windowfocus", "--sync", window });
        xdotool({ "key", "--clearmodifiers", "ctrl+c" });
        waitUntil([&] { return (found = Desktop::clipboardPng()).size() == size; }, 1000);
    }
    return found;
}

QString mainWindow()
{
    QStringList windows;
    waitUntil([&] { return !(windows = Desktop::findWindows(QStringLiteral("^Lumaforge$"))).isEmpty(); });
    return windows.value(0);
}

void saveInto(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString staging = folder + QStringLiteral("/../.") + name;
    QFile out(staging);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    ASSERT_TRUE(QFile::rename(staging, folder + QLatin1Char('/') + name));
}

}

TEST(HeifIntake, AHeicSavedIntoTheWatchedFolderIsStyledAndCopiedUpright)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    const QString folder = RunningApp::screenshotFolder();
    saveInto(folder, QStringLiteral("Screenshot from 2026-12-08 09-00-00.heic"), heic("oriented.heic"));
    QImage copied;
    EXPECT_TRUE(waitUntil([&] { return (copied = Desktop::clipboardPng()).size() == styled(kOriented.size).size; }, 20000))
        << app.log().toStdString();
    EXPECT_TRUE(showsUpright(copied, kOriented));

    // Damaged, and claiming 12000 x 9000 pixels: each refused once, in the usual words.
    QByteArray damaged = heic("quadrants.heic");
    damaged.replace("iloc", "xloc");
    QByteArray enormous = heic("quadrants.heic");
    for (qsizetype ispe = enormous.indexOf("ispe"); ispe >= 0; ispe = enormous.indexOf("ispe", ispe + 1)) {
        qToBigEndian(quint32(12000), enormous.data() + ispe + 8);
        qToBigEndian(quint32(9000), enormous.data() + ispe + 12);
    }
    saveInto(folder, QStringLiteral("Screenshot from 2026-12-08 09-00-01.heic"), damaged);
    EXPECT_TRUE(waitUntil([&] { return app.log().contains("09-00-01.heic: the image data is damaged"); }, 10000))
        << app.log().toStdString();
    saveInto(folder, QStringLiteral("Screenshot from 2026-12-08 09-00-02.heic"), enormous);
    EXPECT_TRUE(waitUntil([&] {
        return app.log().contains("09-00-02.heic: it is 12000 × 9000 pixels, more than the 100 megapixels Lumaforge opens");
    }, 10000)) << app.log().toStdString();
    // A grid whose canvas is vast: refused before libheif would allocate gigabytes for it.
    saveInto(folder, QStringLiteral("Screenshot from 2026-12-08 09-00-03.heic"), heic("vast-grid.heic"));
    EXPECT_TRUE(waitUntil([&] {
        return app.log().contains("09-00-03.heic: it is 55551 × 55551 pixels, more than the 100 megapixels Lumaforge opens");
    }, 10000)) << app.log().toStdString();
    EXPECT_TRUE(app.isRunning());
}

TEST(HeifIntake, AHeicOpenedFromTheDialogOrPastedAsAFileOpensInTheEditor)
{
    RunningApp app;
    ASSERT_TRUE(app.start()) << app.log().toStdString();
    const QString window = mainWindow();
    ASSERT_FALSE(window.isEmpty());

    // File > Open…, the path typed into the dialog's name field.
    xdotool({ "windowfocus", "--sync", window });
    xdotool({ "key", "--clearmodifiers", "ctrl+o" });
    QStringList dialog;
    ASSERT_TRUE(waitUntil([&] { return !(dialog = Desktop::findWindows(QStringLiteral("^Open Image$"))).isEmpty(); }))
        << app.log().toStdString();
    spin(300);
    xdotool({ "windowfocus", "--sync", dialog.first() });
    xdotool({ "type", "--delay", "5", heicPath("oriented.heic") });
    xdotool({ "key", "Return" });
    EXPECT_TRUE(showsUpright(copiedFromEditor(window, kOriented), kOriented)) << app.log().toStdString();

    // A file manager's copy: the file's address on the clipboard, pasted with Ctrl+V.
    QTemporaryDir dir;
    const QString named = dir.filePath(QStringLiteral("IMG_0001.HEIC"));
    ASSERT_TRUE(QFile::copy(heicPath(kQuadrants.file), named));
    QFile list(dir.filePath(QStringLiteral("uris")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(QUrl::fromLocalFile(named).toEncoded() + "\r\n");
    list.close();
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "text/uri-list", "-i", list.fileName() }));
    ASSERT_TRUE(waitUntil([] {
        return Desktop::run(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "TARGETS", "-o" }).contains("text/uri-list");
    }));
    xdotool({ "windowfocus", "--sync", window });
    xdotool({ "key", "--clearmodifiers", "ctrl+v" });
    spin(500);
    EXPECT_TRUE(app.log().count("Couldn't open") == 0) << app.log().toStdString();
    EXPECT_TRUE(showsUpright(copiedFromEditor(window, kQuadrants), kQuadrants)) << app.log().toStdString();
}

// Dropped on the empty editor as a file, and as image data a program offers as image/heic.
TEST(HeifIntake, AHeicDroppedOnTheEmptyEditorIsImported)
{
    QTemporaryDir dir;
    FakeScreenshotSettings screenshotSettings;
    screenshotSettings.folder = dir.path();
    FakePasteboard pasteboard;
    CaptureManager capture(screenshotSettings, pasteboard);
    QStringList toasts;
    EmptyStateView::Hooks hooks;
    hooks.failureToast = [&](const QString& message) { toasts.append(message); };
    EmptyStateView view(capture, hooks);
    view.resize(900, 640);
    view.show();
    QList<CapturedShot> imported;
    QObject::connect(&capture, &CaptureManager::didImport, [&](const CapturedShot& shot) { imported.append(shot); });

    const auto drop = [&](QMimeData& mime) {
        QDragEnterEvent enter(QPoint(450, 320), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QSignalSpy loaded(&view, &EmptyStateView::dropLoaded);
        QDropEvent event(QPointF(450, 320), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
        EXPECT_TRUE(loaded.wait(5000));
    };
    QMimeData file;
    file.setUrls({ QUrl::fromLocalFile(heicPath("oriented.heic")) });
    drop(file);
    QMimeData data;
    data.setData(QStringLiteral("image/heic"), heic("oriented.heic"));
    drop(data);

    EXPECT_TRUE(toasts.isEmpty()) << toasts.join('\n').toStdString();
    ASSERT_EQ(imported.size(), 2);
    for (const CapturedShot& shot : imported) {
        EXPECT_EQ(shot.image.size(), kOriented.size);
        EXPECT_EQ(qBlue(shot.image.pixel(30, 10)) > 200, true);
    }
    EXPECT_EQ(imported[0].filePath, heicPath("oriented.heic"));
}
