#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <sys/stat.h>

namespace {
TestEnvironment* g_current = nullptr;
}

TestEnvironment::TestEnvironment()
    : m_dir(QDir::tempPath() + QStringLiteral("/lumaforge-test-XXXXXX"))
{
    g_current = this;
    const QString home = m_dir.path();
    const auto set = [&](const char* var, const QString& sub) {
        const QString path = home + sub;
        QDir().mkpath(path);
        qputenv(var, QFile::encodeName(path));
    };
    set("HOME", QString());
    set("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    set("XDG_DATA_HOME", QStringLiteral("/.local/share"));
    set("XDG_CACHE_HOME", QStringLiteral("/.cache"));
    set("XDG_STATE_HOME", QStringLiteral("/.local/state"));
    set("XDG_RUNTIME_DIR", QStringLiteral("/runtime"));
    ::chmod(QFile::encodeName(home + QStringLiteral("/runtime")).constData(), 0700);
    QDir().mkpath(home + QStringLiteral("/Desktop"));
    QDir().mkpath(home + QStringLiteral("/Pictures"));
    // No session bus of the real desktop: portals are absent unless a test provides them.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(home) + "/no-bus");
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE"); // the session kind decides how hot keys work: a bare X server here
}

TestEnvironment::~TestEnvironment()
{
    if (m_xvfb) {
        m_xvfb->terminate();
        m_xvfb->waitForFinished(3000);
    }
    g_current = nullptr;
}

void TestEnvironment::killXvfb()
{
    if (m_xvfb) {
        m_xvfb->kill();
        m_xvfb->waitForFinished(3000);
    }
}

TestEnvironment* TestEnvironment::current()
{
    return g_current;
}

bool TestEnvironment::startXvfb()
{
    // -displayfd lets Xvfb pick a free display and tell us which.
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->setProgram(QStringLiteral("Xvfb"));
    m_xvfb->setArguments({ QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
        QStringLiteral("0"), QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
    m_xvfb->setProcessChannelMode(QProcess::SeparateChannels);
    m_xvfb->start();
    if (!m_xvfb->waitForStarted(5000))
        return false;
    QByteArray out;
    for (int i = 0; i < 100 && !out.contains('\n'); ++i) {
        m_xvfb->waitForReadyRead(100);
        out += m_xvfb->readAllStandardOutput();
    }
    const QByteArray display = out.trimmed();
    if (display.isEmpty())
        return false;
    qputenv("DISPLAY", ":" + display);
    return true;
}
