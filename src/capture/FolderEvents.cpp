#include "capture/FolderEvents.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t kListingEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CLOSE_WRITE | IN_ATTRIB
    | IN_DELETE_SELF | IN_MOVE_SELF;

}

FolderEvents* FolderEvents::watch(const QString& folder, std::function<bool(const QString&)> ofInterest, QObject* parent)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // Writes are followed only to know who still writes a file: inotify folds a run of them into
    // one event while it is unread.
    const int watch = ::inotify_add_watch(fd, QFile::encodeName(folder).constData(), kListingEvents | IN_MODIFY | IN_ONLYDIR);
    if (watch < 0) {
        ::close(fd);
        return nullptr;
    }
    return new FolderEvents(fd, watch, std::move(ofInterest), parent);
}

FolderEvents::FolderEvents(int fd, int watch, std::function<bool(const QString&)> ofInterest, QObject* parent)
    : QObject(parent)
    , m_fd(fd)
    , m_watch(watch)
    , m_ofInterest(std::move(ofInterest))
    , m_notifier(new QSocketNotifier(fd, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &FolderEvents::readEvents);
}

FolderEvents::~FolderEvents()
{
    delete m_notifier;
    ::close(m_fd);
}

void FolderEvents::readEvents()
{
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    bool worthListing = false;
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: who writes what is no longer known.
                m_writing.clear();
                worthListing = true;
                continue;
            }
            if (event->mask & IN_IGNORED) {
                m_watch = -1;
                worthListing = true;
                continue;
            }
            if (event->len > 0) {
                // A file of no interest (another kind, a hidden temporary) changes no listing.
                const QString name = QFile::decodeName(event->name);
                if ((event->mask & IN_ISDIR) || !m_ofInterest(name))
                    continue;
                if (event->mask & (IN_CREATE | IN_MODIFY))
                    m_writing.insert(name);
                if (event->mask & (IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
                    m_writing.remove(name);
            }
            if (event->mask & kListingEvents)
                worthListing = true;
        }
    }
    if (worthListing)
        Q_EMIT changed();
}
