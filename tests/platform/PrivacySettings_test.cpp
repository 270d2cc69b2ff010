// The notice's "open the folder" with the real xdg-open: a desktop where nothing opens folders
// is told in a sentence that names the folder; one where the file manager answers is not.
#include "platform/PrivacySettings.h"

#include "fakes/FakeScreenshotSettings.h"
#include "support/LogCapture.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Environment variables changed for the life of the object.
class Environment {
public:
    ~Environment()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->second)
                qputenv(it->first.constData(), *it->second);
            else
                qunsetenv(it->first.constData());
        }
    }
    void set(const char* name, const QString& value)
    {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, QFile::encodeName(value));
    }

private:
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};

struct OpenedFolder {
    QStringList failures;
    QObject context;

    void open(const QString& screenshots)
    {
        FakeScreenshotSettings settings;
        settings.folder = screenshots;
        openPrivacySettings(settings, &context, [this](const QString& message) { failures.append(message); });
    }
};

}

TEST(PrivacySettings, ADesktopWithNothingToOpenFoldersIsToldWhichFolder)
{
    const QString pictures = QDir::homePath() + QStringLiteral("/Pictures");
    QDir().mkpath(pictures);
    QTemporaryDir nothing;

    // xdg-open starts, finds no handler and no browser, and ends in failure.
    {
        Environment env;
        env.set("XDG_DATA_DIRS", nothing.path());
        env.set("BROWSER", QStringLiteral("/nonexistent/browser"));
        env.set("XDG_CURRENT_DESKTOP", QString());
        LogCapture log;
        OpenedFolder opened;
        opened.open(pictures + QStringLiteral("/Screenshots"));
        ASSERT_TRUE(waitUntil([&] { return !opened.failures.isEmpty(); }, 8000));
        EXPECT_EQ(opened.failures, QStringList { "Couldn't show ~/Pictures: no file manager is set up to open folders" });
        EXPECT_EQ(log.count(QStringLiteral("cannot show the folder")), 1);
    }
    // No xdg-open at all.
    {
        Environment env;
        env.set("PATH", nothing.path());
        OpenedFolder opened;
        opened.open(pictures + QStringLiteral("/Screenshots"));
        ASSERT_TRUE(waitUntil([&] { return !opened.failures.isEmpty(); }, 3000));
        EXPECT_EQ(opened.failures, QStringList { "Couldn't show ~/Pictures: no file manager is set up to open folders" });
    }
}

TEST(PrivacySettings, AFileManagerThatAnswersIsNoFailure)
{
    QTemporaryDir bin;
    const QString launcher = bin.filePath(QStringLiteral("xdg-open"));
    {
        QFile script(launcher);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened\"\n");
    }
    QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Environment env;
    env.set("PATH", bin.path() + QStringLiteral(":/usr/bin:/bin"));
    OpenedFolder opened;
    opened.open(QDir::homePath() + QStringLiteral("/Pictures/Screenshots"));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(bin.filePath(QStringLiteral("opened"))); }, 3000));
    spin(300);
    EXPECT_TRUE(opened.failures.isEmpty());
    QFile said(bin.filePath(QStringLiteral("opened")));
    ASSERT_TRUE(said.open(QIODevice::ReadOnly));
    EXPECT_EQ(said.readAll().trimmed(), QFile::encodeName(QDir::homePath() + QStringLiteral("/Pictures")));
}
