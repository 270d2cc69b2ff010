#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class QSocketNotifier;

// inotify on one folder, read on the main thread. Says when something happened to a file of
// interest that a new listing of the folder would show (made, renamed in or out, deleted, written
// and closed, its times changed), or to the folder itself (its permissions changed, deleted,
// moved). Follows which of those files a program has open for writing: made or written to, and
// not closed since (the kernel closes a crashed writer's files).
class FolderEvents : public QObject {
    Q_OBJECT
public:
    // None when the folder cannot be watched (missing, unreadable, out of inotify watches).
    static FolderEvents* watch(const QString& folder, std::function<bool(const QString& name)> ofInterest, QObject* parent);
    ~FolderEvents() override;

    // False once the watch has gone with its folder (deleted, or its file system unmounted).
    bool isAlive() const { return m_watch >= 0; }
    bool isBeingWritten(const QString& name) const { return m_writing.contains(name); }

Q_SIGNALS:
    void changed();

private:
    FolderEvents(int fd, int watch, std::function<bool(const QString&)> ofInterest, QObject* parent);
    void readEvents();

    int m_fd;
    int m_watch;
    std::function<bool(const QString&)> m_ofInterest;
    QSocketNotifier* m_notifier;
    QSet<QString> m_writing;
};
