#include "support/RunningApp.h"

#include "support/TestEnvironment.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <QGuiApplication>
#include <QScreen>

#include <unistd.h>
#include <xcb/xcb.h>

RunningApp::RunningApp() = default;

RunningApp::~RunningApp()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(3000))
            m_process->kill();
        m_process->waitForFinished(1000);
    }
}

QString RunningApp::screenshotFolder()
{
    return QDir::homePath() + QStringLiteral("/Pictures/Screenshots");
}

std::optional<int> RunningApp::terminate()
{
    if (!m_process)
        return std::nullopt;
    m_process->terminate();
    if (!m_process->waitForFinished(5000) || m_process->exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process->exitCode();
}

bool RunningApp::start(bool onboardingDone, bool makeScreenshotFolder)
{
    if (makeScreenshotFolder)
        QDir().mkpath(screenshotFolder());
    const QString configDir = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/lumaforge");
    QDir().mkpath(configDir);
    QFile settings(configDir + QStringLiteral("/settings.json"));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    settings.write(QJsonDocument(QJsonObject { { QStringLiteral("hasCompletedOnboarding"), onboardingDone },
                                     { QStringLiteral("launchAtLogin"), false } })
                       .toJson());
    settings.close();
    return launch() && waitUntil([this] { return log().contains("watcher set up"); }, 15000);
}

std::optional<int> RunningApp::waitForExit(int timeoutMs)
{
    if (!m_process || !waitUntil([this] { return m_process->state() == QProcess::NotRunning; }, timeoutMs))
        return std::nullopt;
    return m_process->exitCode();
}

bool RunningApp::launch()
{
    m_process = std::make_unique<QProcess>();
    const QString binary = QCoreApplication::applicationDirPath() + QStringLiteral("/lumaforge");
    if (m_launcher.isEmpty()) {
        m_process->setProgram(binary);
    } else {
        m_process->setProgram(m_launcher.constFirst());
        m_process->setArguments(m_launcher.mid(1) + QStringList { binary });
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the application picks xcb itself
    env.insert(m_environment);
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->start();
    return m_process->waitForStarted(5000);
}

void RunningApp::dropPermissionOverrides()
{
    // Taken out of the bounding set, root's capabilities do not come back when setpriv runs the
    // application.
    if (::geteuid() == 0)
        setLauncher({ QStringLiteral("setpriv"), QStringLiteral("--bounding-set=-dac_override,-dac_read_search"), QStringLiteral("--") });
}

bool RunningApp::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

bool RunningApp::closeAlreadyRunningNotice()
{
    if (!waitUntil([&] { return log().contains("cannot be asked to come forward"); }, 15000))
        return false;
    QStringList notice;
    const QString id = QString::number(pid());
    if (!waitUntil([&] {
            notice = QString::fromUtf8(Desktop::run("xdotool", { "search", "--onlyvisible", "--pid", id }))
                         .split('\n', Qt::SkipEmptyParts);
            return !notice.isEmpty();
        }))
        return false;
    if (QString::fromUtf8(Desktop::run("xdotool", { "getwindowname", notice.first() })).trimmed() != "Lumaforge")
        return false;
    // Asked again until it goes: a request that comes while the box is still being set up can be missed.
    if (!waitUntil([&] {
            Desktop::closeWindow(notice.first());
            return waitForExit(300).has_value();
        }))
        return false;
    return waitForExit(0) == 0 && !log().contains("watcher set up");
}

namespace {
qint64 statusField(qint64 pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}
}

qint64 RunningApp::residentBytes() const
{
    return m_process ? statusField(m_process->processId(), "VmRSS") : 0;
}

qint64 RunningApp::peakResidentBytes() const
{
    return m_process ? statusField(m_process->processId(), "VmHWM") : 0;
}

QString RunningApp::log()
{
    if (m_process)
        m_log += m_process->readAll();
    return QString::fromUtf8(m_log);
}

namespace Desktop {

QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs, int* exitCode)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(3000))
        return {};
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    if (exitCode)
        *exitCode = p.exitCode();
    return p.readAllStandardOutput();
}

QImage clipboardPng()
{
    int code = -1;
    const QByteArray targets = run(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "TARGETS", "-o" }, 3000, &code);
    if (code != 0 || !targets.contains("image/png"))
        return {};
    const QByteArray png = run(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "image/png", "-o" }, 15000, &code);
    return code == 0 ? QImage::fromData(png, "PNG") : QImage();
}

QStringList findWindows(const QString& namePattern)
{
    const QString out = QString::fromUtf8(run(QStringLiteral("xdotool"), { "search", "--onlyvisible", "--name", namePattern }));
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::optional<QRect> windowGeometry(const QString& windowId)
{
    const QString out = QString::fromUtf8(run(QStringLiteral("xdotool"), { "getwindowgeometry", "--shell", windowId }));
    QRect r;
    int found = 0;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const auto kv = line.split(QLatin1Char('='));
        if (kv.size() != 2)
            continue;
        const int v = kv[1].toInt();
        if (kv[0] == "X") { r.moveLeft(v); ++found; }
        else if (kv[0] == "Y") { r.moveTop(v); ++found; }
        else if (kv[0] == "WIDTH") { r.setWidth(v); ++found; }
        else if (kv[0] == "HEIGHT") { r.setHeight(v); ++found; }
    }
    if (found != 4)
        return std::nullopt;
    return r;
}

bool closeWindow(const QString& windowId)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c))
        return false;
    const auto intern = [c](const char* name) {
        auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
        free(reply);
        return atom;
    };
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = windowId.toUInt();
    event.type = intern("WM_PROTOCOLS");
    event.data.data32[0] = intern("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    xcb_disconnect(c);
    return true;
}

bool offerPngOnClipboard(const QString& path)
{
    // xclip forks a server that lives until another client takes the clipboard.
    return QProcess::startDetached(QStringLiteral("xclip"), { "-selection", "clipboard", "-t", "image/png", "-i", path });
}

std::optional<QRect> toastFrame()
{
    const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
    for (const QString& id : findWindows(QStringLiteral("^Lumaforge$"))) {
        const auto geometry = windowGeometry(id);
        if (geometry && geometry->top() > screenHeight / 2 && geometry->height() < 200)
            return geometry;
    }
    return std::nullopt;
}

}
