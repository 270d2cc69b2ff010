#include "app/ApplicationIcon.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    // Panels are placed where the design says only on X11; XWayland gives us that on Wayland too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumaforge"));
    QApplication::setDesktopFileName(QStringLiteral("lumaforge"));
    QApplication::setWindowIcon(applicationIcon());
    QLabel label(QStringLiteral("Lumaforge"));
    label.resize(400, 200);
    label.show();
    return app.exec();
}
