#include "app/SingleInstance.h"

#include "core/Log.h"
#include "platform/AppPaths.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QString kService = QStringLiteral("io.lumaforge.Lumaforge");
const QString kPath = QStringLiteral("/io/lumaforge/Lumaforge");
// How long a later launch waits for the first instance to answer (it may still be starting).
constexpr int kAnswerMs = 2000;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
}

SingleInstance::SingleInstance(QString lockPath, QObject* parent)
    : QObject(parent)
    , m_lockPath(std::move(lockPath))
{
    if (m_lockPath.isEmpty()) {
        const QString folder = AppPaths::privateTempDir();
        if (!folder.isEmpty())
            m_lockPath = folder + QStringLiteral("/instance.lock");
    }
}

SingleInstance::~SingleInstance()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool SingleInstance::lock(bool* lockUsable)
{
    *lockUsable = false;
    if (m_lockFd >= 0) {
        *lockUsable = true;
        return true;
    }
    if (m_lockPath.isEmpty()) {
        logLine(QStringLiteral("no private runtime folder for the instance lock; the session bus decides"));
        return true;
    }
    const int fd = ::open(QFile::encodeName(m_lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        logLine(QStringLiteral("cannot open the instance lock %1: %2; the session bus decides").arg(m_lockPath, systemError()));
        return true;
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_lockFd = fd;
        *lockUsable = true;
        return true;
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) {
        *lockUsable = true;
        return false;
    }
    errno = error;
    logLine(QStringLiteral("cannot lock %1: %2; the session bus decides").arg(m_lockPath, systemError()));
    return true;
}

SingleInstance::Claim SingleInstance::claim(std::function<void()> onActivate, QString* why)
{
    m_onActivate = std::move(onActivate);
    bool lockUsable = false;
    if (lock(&lockUsable)) {
        if (lockUsable) {
            listen();
            return Claim::first;
        }
        // Without a lock the bus name is the only word, as before.
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || bus.registerService(kService)) {
            listen();
            return Claim::first;
        }
    }
    return handOver(why);
}

void SingleInstance::listen()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        logLine(QStringLiteral("no session bus: a second launch cannot bring this window forward"));
        return;
    }
    if (!bus.registerService(kService))
        logLine(QStringLiteral("cannot take %1 on the session bus: %2").arg(kService, bus.lastError().message()));
    bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
}

SingleInstance::Claim SingleInstance::handOver(QString* why)
{
    const auto fail = [why](const QString& reason) {
        logLine(QStringLiteral("another instance runs but cannot be asked to come forward: %1").arg(reason));
        if (why)
            *why = reason;
        return Claim::notAnswered;
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail(tr("there is no session bus"));
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("activate"));
    // The running instance may have taken the lock but not yet its name on the bus.
    const QDeadlineTimer deadline(kAnswerMs);
    for (;;) {
        const QDBusMessage reply = bus.call(call, QDBus::Block, int(qMax<qint64>(deadline.remainingTime(), 1)));
        if (reply.type() != QDBusMessage::ErrorMessage)
            return Claim::handedOver;
        const bool notYet = reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")
            || reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
        if (!notYet || deadline.hasExpired())
            return fail(reply.errorMessage());
        QThread::msleep(50);
    }
}

QString SingleInstance::notAnsweredNotice(const QString& why)
{
    return tr("Lumaforge is already running, but it could not be asked to show its window (%1). Open it from "
              "its icon in the system tray.")
        .arg(why);
}

void SingleInstance::activate()
{
    if (m_onActivate)
        m_onActivate();
}
