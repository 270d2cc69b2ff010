#include "platform/OpenFolder.h"

#include "core/Log.h"
#include "platform/AtomicFile.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <memory>

namespace {
// xdg-open may run the file manager in the foreground and end only when it closes: an outcome
// this late is no longer about the folder failing to show.
constexpr int kOutcomeWindowMs = 10000;
// xdg-open's exit code for a file that does not exist.
constexpr int kXdgOpenNoSuchFile = 2;

QString noFileManager()
{
    return QCoreApplication::translate("OpenFolder", "no file manager is set up to open folders");
}
}

void openFolder(const QString& folder, QObject* context, std::function<void(const QString& reason)> failed)
{
    QPointer<QObject> owner(context);
    auto report = [owner, failed](const QString& reason) {
        if (owner && failed)
            failed(reason);
    };
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (launcher.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
            logLine(QStringLiteral("cannot show the folder %1: no xdg-open and no other launcher").arg(folder));
            report(noFileManager());
        }
        return;
    }

    // Parented to the application: an xdg-open still running at quit is ended then, while the
    // file manager it started, a process of its own, stays.
    auto* process = new QProcess(qApp);
    process->setProgram(launcher);
    process->setArguments({ folder });
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto watching = std::make_shared<bool>(true);
    QTimer::singleShot(kOutcomeWindowMs, process, [watching] { *watching = false; });
    QObject::connect(process, &QProcess::finished, process,
        [process, folder, report, watching](int code, QProcess::ExitStatus status) {
            process->deleteLater();
            if (!*watching || (status == QProcess::NormalExit && code == 0))
                return;
            logLine(QStringLiteral("cannot show the folder %1: xdg-open %2")
                        .arg(folder, status == QProcess::NormalExit ? QStringLiteral("ended with code %1").arg(code)
                                                                     : QStringLiteral("crashed")));
            report(status == QProcess::NormalExit && code == kXdgOpenNoSuchFile ? fileErrorInWords(ENOENT) : noFileManager());
        });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, folder, report](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        logLine(QStringLiteral("cannot show the folder %1: xdg-open did not start (%2)").arg(folder, process->errorString()));
        report(noFileManager());
        process->deleteLater();
    });
    process->start();
}

QString folderForDisplay(const QString& folder)
{
    QString shown = QDir::toNativeSeparators(folder);
    const QString home = QDir::homePath();
    if (shown == home || shown.startsWith(home + QLatin1Char('/')))
        shown.replace(0, home.size(), QStringLiteral("~"));
    return shown;
}
