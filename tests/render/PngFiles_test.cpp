#include "render/PngFiles.h"

#include "platform/AppPaths.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QImage picture(QColor colour = QColor(200, 40, 90))
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}

TEST(PngFiles, DateStringHasTheFileNameForm)
{
    const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} at \\d{2}\\.\\d{2}\\.\\d{2}$"));
    EXPECT_TRUE(form.match(screenshotDateString()).hasMatch()) << screenshotDateString().toStdString();
}

TEST(PngFiles, ExportWritesOnlyWhenConfirmed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.png"));
    LogCapture log;
    std::optional<bool> reported;
    const auto completion = [&](bool ok, const std::optional<FileWriteFailure>& failure) {
        reported = ok;
        EXPECT_FALSE(failure); // a cancel is no failure
    };

    EXPECT_FALSE(exportPNG(QDialog::Rejected, path, "data", completion));
    EXPECT_EQ(reported, false);
    EXPECT_FALSE(exportPNG(QDialog::Accepted, QString(), "data", completion));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(log.lines.isEmpty());

    EXPECT_TRUE(exportPNG(QDialog::Accepted, path, "first", completion));
    EXPECT_EQ(reported, true);
    EXPECT_TRUE(exportPNG(QDialog::Accepted, path, "second"));
    EXPECT_EQ(readAll(path), "second");
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST(PngFiles, FailedExportLogsAndKeepsTheExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(exportPNG(QDialog::Accepted, path, "precious"));
    const QByteArray big(256 * 1024, 'x');

    // The disk fills up half-way through the new file (a file size limit stands in for it, and
    // holds for root too): the old file survives whole and no temporary file is left behind.
    {
        struct sigaction ignore {}, previous {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &previous);
        rlimit saved {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = 64 * 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        LogCapture log;
        std::optional<bool> reported;
        std::optional<FileWriteFailure> failure;
        const bool ok = exportPNG(QDialog::Accepted, path, big, [&](bool r, const std::optional<FileWriteFailure>& f) {
            reported = r;
            failure = f;
        });
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::sigaction(SIGXFSZ, &previous, nullptr);
        EXPECT_FALSE(ok);
        EXPECT_EQ(reported, false);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->error, EFBIG);
        ASSERT_EQ(log.lines.size(), 1);
        EXPECT_EQ(log.lines[0], "Lumaforge: export failed: cannot write " + path + ": File too large");
    }
    EXPECT_EQ(readAll(path), "precious");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("shot.png") });

    // A folder that cannot be written (permissions do not bind root, so there it is a path below a
    // file instead).
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0500);
    const QString target = ::geteuid() == 0 ? path + QStringLiteral("/inside.png") : folder + QStringLiteral("/x.png");
    LogCapture log;
    EXPECT_FALSE(exportPNG(QDialog::Accepted, target, "data"));
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith(QStringLiteral("Lumaforge: export failed: ")));
    EXPECT_EQ(readAll(path), "precious");
    ::chmod(QFile::encodeName(folder).constData(), 0700);
}

TEST(PngFiles, DragOutFilesGetPrivateFoldersOfTheirOwn)
{
    const auto first = writeTempPNG(picture(Qt::red));
    const auto second = writeTempPNG(picture(Qt::blue)); // very likely the same second
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(QFileInfo(*first).fileName().startsWith(QStringLiteral("Lumaforge ")));
    EXPECT_TRUE(QFileInfo(*first).fileName().endsWith(QStringLiteral(".png")));
    EXPECT_EQ(QImage(*first).pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(QImage(*second).pixelColor(3, 3), QColor(Qt::blue));

    const QString folder = QFileInfo(*first).absolutePath();
    EXPECT_EQ(QFileInfo(QFileInfo(folder).absolutePath()).canonicalFilePath(),
        QFileInfo(AppPaths::privateTempDir()).canonicalFilePath());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A later write to the recorded destination replaces that file.
    EXPECT_EQ(writeTempPNG(picture(Qt::green), *first), *first);
    EXPECT_EQ(QImage(*first).pixelColor(3, 3), QColor(Qt::green));

    removeTempPNG(*first);
    EXPECT_FALSE(QFileInfo::exists(*first));
    EXPECT_FALSE(QFileInfo::exists(folder));
    removeTempPNG(*second);
}

TEST(PngFiles, DragOutFailuresReportNoFile)
{
    LogCapture log;
    EXPECT_FALSE(writeTempPNG(QImage()).has_value());
    EXPECT_TRUE(log.lines.isEmpty()); // nothing to encode is not logged

    QTemporaryDir dir;
    EXPECT_FALSE(writeTempPNG(picture(), dir.filePath(QStringLiteral("missing/folder/x.png"))).has_value());
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith(QStringLiteral("Lumaforge: temp file write failed: ")));
}

TEST(PngFiles, StartSweepsDragFoldersWhoseRunEnded)
{
    // A process that has ended: its folders are what a crash leaves.
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);

    const QString base = AppPaths::privateTempDir();
    const auto plant = [&](const QString& name, qint64 ageSecs) {
        const QString folder = base + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/Lumaforge 2026-01-01 at 10.00.00.png"));
        file.open(QIODevice::WriteOnly);
        file.write("png");
        file.close();
        const struct timespec times[2] = { { ::time(nullptr) - ageSecs, 0 }, { ::time(nullptr) - ageSecs, 0 } };
        ::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0);
        return folder;
    };
    const QString crashed = plant(QStringLiteral("drag-%1-aaaaaa").arg(ended), 0);
    const QString oldUnowned = plant(QStringLiteral("drag-bbbbbb"), 2 * 3600);
    const QString freshUnowned = plant(QStringLiteral("drag-cccccc"), 0);
    const QString otherRun = plant(QStringLiteral("drag-1-dddddd"), 2 * 3600); // pid 1 always runs
    const QString notOurs = plant(QStringLiteral("keep-me"), 2 * 3600);
    const auto live = writeTempPNG(picture());
    ASSERT_TRUE(live);

    LogCapture log;
    EXPECT_EQ(sweepStaleDragFolders(), 2);
    EXPECT_FALSE(QFileInfo::exists(crashed));
    EXPECT_FALSE(QFileInfo::exists(oldUnowned));
    EXPECT_TRUE(QFileInfo::exists(freshUnowned));
    EXPECT_TRUE(QFileInfo::exists(otherRun));
    EXPECT_TRUE(QFileInfo::exists(notOurs));
    EXPECT_TRUE(QFileInfo::exists(*live)); // this run's own file stays
    EXPECT_EQ(log.count(QStringLiteral("removed 2 drag-out folder(s)")), 1);

    removeTempPNG(*live);
    for (const QString& folder : { freshUnowned, otherRun, notOurs })
        QDir(folder).removeRecursively();
}
