#include "platform/JsonSettingsStore.h"
#include "support/LogCapture.h"
#include "support/ScratchFileSystem.h"
#include "support/Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QStringList corruptCopies(const QString& dir)
{
    return QDir(dir).entryList({ QStringLiteral("settings.json.corrupt-*") }, QDir::Files);
}

}

TEST(JsonSettingsStore, KeepsEveryTypeApartAcrossARestart)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/lumaforge/settings.json");
    {
        JsonSettingsStore store(path);
        store.setValue(QStringLiteral("flag"), true);
        store.setValue(QStringLiteral("number"), 2.5);
        store.setValue(QStringLiteral("text"), QStringLiteral("hello"));
        store.setValue(QStringLiteral("bytes"), QByteArray("hello"));
        store.setValue(QStringLiteral("list"), QStringList { QStringLiteral("a"), QStringLiteral("b") });
    }
    JsonSettingsStore reopened(path);
    EXPECT_EQ(reopened.boolValue(QStringLiteral("flag")), true);
    EXPECT_EQ(reopened.doubleValue(QStringLiteral("number")), 2.5);
    EXPECT_EQ(reopened.stringValue(QStringLiteral("text")), QStringLiteral("hello"));
    EXPECT_EQ(reopened.dataValue(QStringLiteral("bytes")), QByteArray("hello"));
    EXPECT_EQ(reopened.stringArrayValue(QStringLiteral("list")), (QStringList { QStringLiteral("a"), QStringLiteral("b") }));

    // Bytes and strings with the same content never read as each other.
    EXPECT_FALSE(reopened.stringValue(QStringLiteral("bytes")).has_value());
    EXPECT_FALSE(reopened.dataValue(QStringLiteral("text")).has_value());
    EXPECT_FALSE(reopened.boolValue(QStringLiteral("number")).has_value());
    EXPECT_FALSE(reopened.contains(QStringLiteral("absent")));

    reopened.remove(QStringLiteral("flag"));
    reopened.flush();
    EXPECT_FALSE(JsonSettingsStore(path).contains(QStringLiteral("flag")));
    // The atomic write leaves no temporary file behind.
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/lumaforge")).entryList(QDir::Files), QStringList { QStringLiteral("settings.json") });
}

TEST(JsonSettingsStore, MixedArraysAreNotStringArrays)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.path() + QStringLiteral("/settings.json"), R"({"order": ["x", 3, "reddit"]})");
    JsonSettingsStore store(path);
    EXPECT_FALSE(store.stringArrayValue(QStringLiteral("order")).has_value());
    ASSERT_TRUE(store.arrayValue(QStringLiteral("order")).has_value());
    EXPECT_EQ(store.arrayValue(QStringLiteral("order"))->size(), 3);
}

TEST(JsonSettingsStore, UnreadableFilesAreKeptAsideAndDefaultsApply)
{
    const QList<QByteArray> broken { QByteArray("{not json"), QByteArray(""), QByteArray("[1, 2]"), QByteArray("\"text\"") };
    for (const QByteArray& content : broken) {
        SCOPED_TRACE(content.toStdString());
        QTemporaryDir dir;
        const QString path = writeFile(dir.path() + QStringLiteral("/settings.json"), content);
        LogCapture log;
        JsonSettingsStore store(path);
        EXPECT_FALSE(store.contains(QStringLiteral("anything")));
        EXPECT_EQ(log.lines.size(), 1);
        EXPECT_EQ(store.loadProblem().kind, SettingsLoadProblem::Kind::keptAside);
        const QStringList aside = corruptCopies(dir.path());
        ASSERT_EQ(aside.size(), 1);
        QFile kept(dir.path() + QLatin1Char('/') + aside.first());
        kept.open(QIODevice::ReadOnly);
        EXPECT_EQ(kept.readAll(), content);

        // The next write starts a fresh file and leaves the kept copy alone.
        store.setValue(QStringLiteral("flag"), true);
        store.flush();
        EXPECT_EQ(JsonSettingsStore(path).boolValue(QStringLiteral("flag")), true);
        EXPECT_EQ(corruptCopies(dir.path()).size(), 1);
    }
}

namespace {
// Runs `body` in a child process without the right to read files it does not own (root drops
// to nobody there); the child's exit code is the number of failed checks.
int runUnprivileged(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}
}

TEST(JsonSettingsStore, AFileThatCannotBeReadIsNeverOverwritten)
{
    QTemporaryDir dir;
    // The folder stays writable, as a home folder is: only the file itself is unreadable.
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    const QByteArray content("{\"watermarkText\": \"mine\", \"savedPresets\": {\"$data\": \"W10=\"}}");
    const QString path = writeFile(dir.path() + QStringLiteral("/settings.json"), content);
    ::chmod(QFile::encodeName(path).constData(), 0);

    const int failures = runUnprivileged([&] {
        int failed = 0;
        LogCapture log;
        JsonSettingsStore store(path);
        failed += store.loadProblem().kind != SettingsLoadProblem::Kind::unreadable;
        failed += store.contains(QStringLiteral("watermarkText"));
        // The run goes on with values in memory; the file is not touched.
        store.setValue(QStringLiteral("watermarkText"), QStringLiteral("new"));
        store.setValue(QStringLiteral("flag"), true);
        store.remove(QStringLiteral("flag"));
        store.flush();
        failed += store.stringValue(QStringLiteral("watermarkText")) != QStringLiteral("new");
        failed += log.lines.size() != 1;
        return failed;
    });
    EXPECT_EQ(failures, 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) || ::geteuid() != 0);
    if (file.isOpen()) {
        EXPECT_EQ(file.readAll(), content);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("settings.json") });

    // Readable again, it is read as before.
    ::chmod(QFile::encodeName(path).constData(), 0600);
    JsonSettingsStore store(path);
    EXPECT_TRUE(store.loadProblem().isEmpty());
    EXPECT_EQ(store.stringValue(QStringLiteral("watermarkText")), QStringLiteral("mine"));
}

TEST(JsonSettingsStore, ValuesItDoesNotKnowSurviveAWrite)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.path() + QStringLiteral("/settings.json"),
        R"({"future": {"nested": [1, {"a": null}]}, "n": 3})");
    JsonSettingsStore store(path);
    store.setValue(QStringLiteral("n"), 4);
    store.flush();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_EQ(root.value(QStringLiteral("future")).toObject().value(QStringLiteral("nested")).toArray().size(), 2);
    EXPECT_EQ(root.value(QStringLiteral("n")).toDouble(), 4.0);
}

namespace {
QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts saveFailed() and keeps the last reason.
struct SaveFailures {
    explicit SaveFailures(SettingsStore& store)
    {
        QObject::connect(&store, &SettingsStore::saveFailed, &context, [this](const QString& reason) {
            ++count;
            last = reason;
        });
    }
    QObject context;
    int count = 0;
    QString last;
};
}

TEST(JsonSettingsStore, AFullDiskKeepsTheFileSaysSoOnceAndTheNextChangeSavesEverything)
{
    ScratchFileSystem disk;
    const QString path = disk.filePath(QStringLiteral("lumaforge/settings.json"));
    const QByteArray presets(20000, 'p'); // presets bigger than QSaveFile's buffer
    JsonSettingsStore store(path);
    store.setValue(QStringLiteral("savedPresets"), presets);
    store.flush();
    const QByteArray saved = contents(path);
    ASSERT_FALSE(saved.isEmpty());
    SaveFailures failures(store);
    LogCapture log;

    ASSERT_TRUE(disk.fill());
    store.setValue(QStringLiteral("watermarkText"), QStringLiteral("acme"));
    store.setValue(QStringLiteral("showWatermark"), true);
    store.flush();
    ASSERT_TRUE(waitUntil([&] { return failures.count > 0; }));
    spin(50);
    EXPECT_EQ(failures.count, 1); // told once, however many changes fail
    // The user's words for the toast, the system's for the log.
    EXPECT_EQ(failures.last, disk.mounted() ? "the disk is full" : "the file is too large for that disk");
    EXPECT_EQ(log.count(QStringLiteral("Lumaforge: cannot write settings")), 1);
    EXPECT_EQ(log.count(disk.mounted() ? "No space left on device" : "File too large"), 1);
    EXPECT_EQ(contents(path), saved); // the presets are all still there
    EXPECT_EQ(store.stringValue(QStringLiteral("watermarkText")), QStringLiteral("acme")); // and the change in memory

    // With room again, the next change writes everything, the failed changes too.
    disk.makeRoom();
    store.setValue(QStringLiteral("watermarkPosition"), QStringLiteral("topLeft"));
    store.flush();
    spin(50);
    JsonSettingsStore reopened(path);
    EXPECT_EQ(reopened.dataValue(QStringLiteral("savedPresets")), presets);
    EXPECT_EQ(reopened.stringValue(QStringLiteral("watermarkText")), QStringLiteral("acme"));
    EXPECT_EQ(reopened.boolValue(QStringLiteral("showWatermark")), true);

    // A failure after a success is told again.
    ASSERT_TRUE(disk.fill());
    store.setValue(QStringLiteral("watermarkText"), QStringLiteral("acme2"));
    store.flush();
    EXPECT_TRUE(waitUntil([&] { return failures.count == 2; }));
    disk.makeRoom();
    // And a failed last change is tried once more when the store flushes at quit.
    store.flush();
    EXPECT_EQ(JsonSettingsStore(path).stringValue(QStringLiteral("watermarkText")), QStringLiteral("acme2"));
}

TEST(JsonSettingsStore, AReadOnlyFolderFailsEveryWriteAndTheValuesStayInMemory)
{
    ScratchFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a read-only file system here";
    const QString path = disk.filePath(QStringLiteral("settings.json"));
    writeFile(path, R"({"watermarkText": "mine"})");
    ASSERT_TRUE(disk.setReadOnly(true));
    ASSERT_FALSE(disk.canWrite()); // not even root may write here

    JsonSettingsStore store(path);
    EXPECT_TRUE(store.loadProblem().isEmpty());
    SaveFailures failures(store);
    store.setValue(QStringLiteral("watermarkText"), QStringLiteral("theirs"));
    store.setValue(QStringLiteral("copyAfterCapture"), false);
    store.flush();
    ASSERT_TRUE(waitUntil([&] { return failures.count > 0; }));
    spin(50);
    EXPECT_EQ(failures.count, 1);
    EXPECT_EQ(failures.last, "the disk is read-only");
    EXPECT_EQ(store.stringValue(QStringLiteral("watermarkText")), QStringLiteral("theirs"));
    EXPECT_EQ(contents(path), R"({"watermarkText": "mine"})");

    ASSERT_TRUE(disk.setReadOnly(false));
    store.setValue(QStringLiteral("instantScreenshots"), false);
    store.flush();
    JsonSettingsStore reopened(path);
    EXPECT_EQ(reopened.stringValue(QStringLiteral("watermarkText")), QStringLiteral("theirs"));
    EXPECT_EQ(reopened.boolValue(QStringLiteral("copyAfterCapture")), false);
}

TEST(JsonSettingsStore, ACorruptFileThatCannotBeMovedAsideIsKeptAndSavesKeepTrying)
{
    ScratchFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a read-only file system here";
    const QString path = disk.filePath(QStringLiteral("settings.json"));
    const QByteArray corrupt("{\"savedPresets\": {\"$data\": \"W10=\"}, oops");
    writeFile(path, corrupt);
    ASSERT_TRUE(disk.setReadOnly(true));

    JsonSettingsStore store(path);
    EXPECT_EQ(store.loadProblem().kind, SettingsLoadProblem::Kind::stuckInPlace);
    EXPECT_FALSE(store.loadProblem().detail.isEmpty());
    SaveFailures failures(store);
    LogCapture log;
    store.setValue(QStringLiteral("savedPresets"), QByteArray("[new preset]"));
    store.flush();
    spin(50);
    // The start-up notice has said so: the failing save is logged, not toasted again.
    EXPECT_EQ(failures.count, 0);
    EXPECT_EQ(log.count(QStringLiteral("could not be moved aside")), 1);
    EXPECT_EQ(contents(path), corrupt);

    // Once the folder takes writes, the next change moves the file aside and saves.
    ASSERT_TRUE(disk.setReadOnly(false));
    store.setValue(QStringLiteral("watermarkText"), QStringLiteral("acme"));
    store.flush();
    const QStringList aside = corruptCopies(disk.path());
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(contents(disk.filePath(aside.first())), corrupt);
    JsonSettingsStore reopened(path);
    EXPECT_EQ(reopened.dataValue(QStringLiteral("savedPresets")), QByteArray("[new preset]"));
    EXPECT_TRUE(reopened.loadProblem().isEmpty());
}

TEST(JsonSettingsStore, ChangesToALargeFileLeaveTheMainThreadAtOnceAndTheLastOneWins)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/settings.json");
    {
        JsonSettingsStore store(path);
        store.setValue(QStringLiteral("savedPresets"), QByteArray(30 * 1024 * 1024, 'p'));
    }
    JsonSettingsStore store(path);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 40; ++i)
        store.setValue(QStringLiteral("watermarkText"), QStringLiteral("text %1").arg(i));
    // Each write of this file takes a good part of a second; forty of them on the main thread
    // would take far longer than this.
    EXPECT_LT(timer.elapsed(), 1000);
    store.flush();
    JsonSettingsStore reopened(path);
    EXPECT_EQ(reopened.stringValue(QStringLiteral("watermarkText")), QStringLiteral("text 39"));
    EXPECT_EQ(reopened.dataValue(QStringLiteral("savedPresets"))->size(), 30 * 1024 * 1024);
}
