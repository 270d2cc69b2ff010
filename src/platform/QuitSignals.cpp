#include "platform/QuitSignals.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = { -1, -1 };
constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };

void onSignal(int number)
{
    // Only async-signal-safe calls here.
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// exit() from inside the event loop (a lost X server): the application object still stands and
// nothing has been flushed. After main() returns it is gone, and the flushes ran at aboutToQuit.
void flushAtExit()
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QuitSignals::runFlushes();
}

const char* signalName(int number)
{
    switch (number) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}
}

QuitSignals::QuitSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        logLine(QStringLiteral("cannot watch for quit signals: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    // A full pipe must never block the handler.
    ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readPipe);
}

QuitSignals& QuitSignals::instance()
{
    static QuitSignals* signals = new QuitSignals;
    return *signals;
}

void QuitSignals::addFlush(QObject* owner, std::function<void()> flush)
{
    QuitSignals& self = instance();
    static const bool hooked = [&self] {
        if (auto* app = QCoreApplication::instance())
            connect(app, &QCoreApplication::aboutToQuit, &self, &QuitSignals::runFlushes);
        std::atexit(flushAtExit);
        return true;
    }();
    Q_UNUSED(hooked);
    self.m_flushes.append({ owner, std::move(flush) });
}

void QuitSignals::runFlushes()
{
    QuitSignals& self = instance();
    // A flush that quits again must not start the round over.
    if (self.m_flushing)
        return;
    self.m_flushing = true;
    self.m_flushes.removeIf([](const Flush& flush) { return !flush.owner; });
    const QList<Flush> flushes = self.m_flushes;
    for (auto it = flushes.crbegin(); it != flushes.crend(); ++it) {
        if (it->owner)
            it->run();
    }
    self.m_flushing = false;
}

void QuitSignals::install()
{
    if (!instance().m_notifier)
        return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

void QuitSignals::readPipe()
{
    char byte = 0;
    if (::read(g_pipe[0], &byte, 1) != 1)
        return;
    const int number = static_cast<unsigned char>(byte);
    logLine(QStringLiteral("%1 received, quitting").arg(QString::fromLatin1(signalName(number))));
    QCoreApplication::quit();
}
