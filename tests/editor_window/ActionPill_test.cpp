#include "editor_window/ActionPill.h"

#include "editor/EditorDocumentTestKit.h"
#include "render/CanvasRenderer.h"
#include "support/LogCapture.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Export with a dialog the test answers and the real writer.
struct ExportKit : ::testing::Test {
    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc = makeDocument(scan, DetectionResult {}, BeautifySettings::defaults(),
        flatImage(320, 200, QColor(30, 140, 90)));
    QTemporaryDir dir;
    int renders = 0;
    bool renderFails = false;
    QStringList askedNames;
    std::function<void(std::optional<QString>)> answer;
    int writes = 0;
    QStringList toasts;
    QStringList failureToasts;
    LogCapture log;

    ExportHooks hooks()
    {
        ExportHooks real = ExportHooks::standard({}, {});
        ExportHooks h;
        h.render = [this, real](const EditorDocument& d) {
            ++renders;
            return renderFails ? QByteArray() : real.render(d);
        };
        h.askPath = [this](QWidget*, const QString& name, std::function<void(std::optional<QString>)> done) {
            askedNames.append(name);
            answer = std::move(done);
        };
        h.write = [this, real](QDialog::DialogCode code, const QString& path, const QByteArray& data,
                      const ExportCompletion& completion) {
            ++writes;
            return real.write(code, path, data, completion);
        };
        h.toast = [this](const QString& message) { toasts.append(message); };
        h.failureToast = [this](const QString& message) { failureToasts.append(message); };
        return h;
    }
    QByteArray expectedPng() const
    {
        return renderCanvasPNG(doc->image(), doc->settings(), doc->annotations(), doc->allRedactionRects());
    }
};

}

TEST_F(ExportKit, NothingRenderedOpensNoDialogAndSaysTheExportFailed)
{
    ActionPill pill(*doc, {}, {}, hooks());
    renderFails = true;
    pill.exportImage();
    EXPECT_EQ(renders, 1);
    EXPECT_TRUE(askedNames.isEmpty());
    EXPECT_TRUE(toasts.isEmpty());
    EXPECT_EQ(failureToasts, QStringList { QStringLiteral("Export failed") });
}

TEST_F(ExportKit, CancelWritesAndSaysNothing)
{
    ActionPill pill(*doc, {}, {}, hooks());
    pill.exportImage();
    ASSERT_TRUE(answer);
    answer(std::nullopt);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(toasts.isEmpty());
    EXPECT_TRUE(failureToasts.isEmpty());
    EXPECT_EQ(log.count(QStringLiteral("export failed")), 0);
}

TEST_F(ExportKit, AFailedWriteIsLoggedOnceAndToasted)
{
    ActionPill pill(*doc, {}, {}, hooks());
    QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    pill.exportImage();
    ASSERT_TRUE(answer);
    answer(blocker.fileName() + QStringLiteral("/shot.png"));
    EXPECT_EQ(log.count(QStringLiteral("export failed")), 1);
    EXPECT_EQ(log.count(QStringLiteral("Not a directory")), 1);
    EXPECT_EQ(failureToasts, QStringList { QStringLiteral("Couldn't export the image: the folder no longer exists") });
    EXPECT_TRUE(toasts.isEmpty()); // not beside a check mark
}

TEST_F(ExportKit, SuccessWritesTheRenderMadeBeforeTheDialogAndSaysExported)
{
    ActionPill pill(*doc, {}, {}, hooks());
    const QByteArray before = expectedPng();
    pill.exportImage();
    ASSERT_EQ(askedNames.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Lumaforge \\d{4}-\\d\\d-\\d\\d at \\d\\d\\.\\d\\d\\.\\d\\d\\.png$"))
                    .match(askedNames.first())
                    .hasMatch())
        << askedNames.first().toStdString();
    // A second request while the dialog is open does not stack another dialog.
    pill.exportImage();
    EXPECT_EQ(askedNames.size(), 1);

    // Edited while the dialog is open: the file still gets what was rendered before.
    BeautifySettings s = doc->settings();
    s.padding = 30;
    doc->setSettings(s);
    const QString path = dir.filePath(QStringLiteral("out.png"));
    answer(path);
    EXPECT_EQ(toasts, QStringList { QStringLiteral("Exported") });
    EXPECT_TRUE(failureToasts.isEmpty());
    EXPECT_EQ(renders, 1);
    const QImage written(path);
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.convertToFormat(QImage::Format_ARGB32), QImage::fromData(before).convertToFormat(QImage::Format_ARGB32));
    EXPECT_NE(written.size(), QImage::fromData(expectedPng()).size());
    EXPECT_FALSE(pill.exportPending());
}

TEST_F(ExportKit, KeysAndZoomButtonsActLikeClicks)
{
    int copies = 0;
    int animated = 0;
    ActionPill pill(*doc, [&] { ++copies; }, [&](const std::function<void()>& change) {
        ++animated;
        change();
    },
        hooks());
    pill.show();
    QApplication::setActiveWindow(&pill);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pill));

    QTest::keyClick(&pill, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copies, 1);
    QTest::keyClick(&pill, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(askedNames.size(), 1);

    EXPECT_TRUE(pill.percentageButton()->atActualSize());
    EXPECT_EQ(pill.percentageButton()->text(), QStringLiteral("100%"));
    QTest::mouseClick(pill.zoomInButton(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(doc->zoom(), 1.25);
    EXPECT_EQ(pill.percentageButton()->text(), QStringLiteral("125%"));
    EXPECT_FALSE(pill.percentageButton()->atActualSize());
    QTest::mouseClick(pill.zoomOutButton(), Qt::LeftButton);
    QTest::mouseClick(pill.zoomOutButton(), Qt::LeftButton);
    EXPECT_EQ(pill.percentageButton()->text(), QStringLiteral("75%"));
    // The percentage resets the zoom and recentres, even at 100 %.
    const int token = doc->panResetToken();
    QTest::mouseClick(pill.percentageButton(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(doc->zoom(), 1.0);
    EXPECT_EQ(doc->panResetToken(), token + 1);
    QTest::mouseClick(pill.percentageButton(), Qt::LeftButton);
    EXPECT_EQ(doc->panResetToken(), token + 2);
    EXPECT_EQ(animated, 5);
    // At the limit the buttons stay enabled and the document clamps.
    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(pill.zoomInButton(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(doc->zoom(), EditorDocument::maxZoom);
    EXPECT_TRUE(pill.zoomInButton()->isEnabled());
    EXPECT_EQ(doc->undoCount(), 0);
    EXPECT_TRUE(ActionPill::isActualSize(1.005));
}
