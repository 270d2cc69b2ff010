#include "app/AppDelegate.h"
#include "app/ApplicationIcon.h"
#include "app/SingleInstance.h"
#include "platform/CoreDumps.h"
#include "platform/MemoryRelease.h"
#include "platform/QuitSignals.h"
#include "vision/TextRecognizer.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

int main(int argc, char** argv)
{
    // First, before any shot is read: a core file would hold raw shots and their text.
    markNotDumpable();
    MemoryRelease::configureAllocator();
    // Panels are placed where the design says only on X11; XWayland gives us that on Wayland too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumaforge"));
    QApplication::setApplicationVersion(QStringLiteral(LUMAFORGE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("lumaforge"));
    QApplication::setWindowIcon(applicationIcon());
    // A tray application: closing the last window keeps it running.
    QApplication::setQuitOnLastWindowClosed(false);
    // Logging out sends SIGTERM: quit through the event loop so pending writes are flushed.
    QuitSignals::install();

    AppDelegate delegate;
    SingleInstance instance;
    QString why;
    switch (instance.claim([&delegate] { delegate.applicationShouldHandleReopen(); }, &why)) {
    case SingleInstance::Claim::first:
        break;
    case SingleInstance::Claim::handedOver:
        return 0;
    case SingleInstance::Claim::notAnswered:
        // Never a second instance: both would handle every shot and overwrite each other's
        // settings. Say why nothing else happens. Shown from the main loop, not a loop of its own:
        // before exec() quit() does nothing, and a logout's SIGTERM would leave the box standing.
        auto* notice = new QMessageBox(
            QMessageBox::Information, QStringLiteral("Lumaforge"), SingleInstance::notAnsweredNotice(why), QMessageBox::Ok);
        notice->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(notice, &QMessageBox::finished, &app, &QCoreApplication::quit);
        notice->show();
        return app.exec();
    }

    // Loading the recognition engines takes a moment: do it now, off the main thread, so the
    // first screenshot does not wait for it.
    TextRecognizer::warmUpSharedInBackground();
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
