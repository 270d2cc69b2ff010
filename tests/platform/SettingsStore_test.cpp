#include "platform/JsonSettingsStore.h"
#include "support/LogCapture.h"

#include <QDir>
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
        const QStringList aside = corruptCopies(dir.path());
        ASSERT_EQ(aside.size(), 1);
        QFile kept(dir.path() + QLatin1Char('/') + aside.first());
        kept.open(QIODevice::ReadOnly);
        EXPECT_EQ(kept.readAll(), content);

        // The next write starts a fresh file and leaves the kept copy alone.
        store.setValue(QStringLiteral("flag"), true);
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
        failed += store.loadProblem().isEmpty();
        failed += store.contains(QStringLiteral("watermarkText"));
        // The run goes on with values in memory; the file is not touched.
        store.setValue(QStringLiteral("watermarkText"), QStringLiteral("new"));
        store.setValue(QStringLiteral("flag"), true);
        store.remove(QStringLiteral("flag"));
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
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_EQ(root.value(QStringLiteral("future")).toObject().value(QStringLiteral("nested")).toArray().size(), 2);
    EXPECT_EQ(root.value(QStringLiteral("n")).toDouble(), 4.0);
}
