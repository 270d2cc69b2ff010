// Desktop helpers for looking at the real application on a private X server:
//   x11-grab OUT.png [x y w h]     saves the screen (or a part of it) as PNG
//   x11-grab --convert IN OUT      converts an image file (e.g. PPM to PNG)
//   x11-grab --portal-scheme N     answers the desktop portal's colour-scheme setting with N
//                                  (1 dark, 2 light) on the session bus until killed
#include <QApplication>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

namespace {
class PortalSettings final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint scheme = 1;
public Q_SLOTS:
    QDBusVariant Read(const QString& ns, const QString& key)
    {
        if (ns == QStringLiteral("org.freedesktop.appearance") && key == QStringLiteral("color-scheme"))
            return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme)));
        return QDBusVariant(QVariant());
    }
    QDBusVariant ReadOne(const QString& ns, const QString& key)
    {
        if (ns == QStringLiteral("org.freedesktop.appearance") && key == QStringLiteral("color-scheme"))
            return QDBusVariant(QVariant::fromValue(scheme));
        return QDBusVariant(QVariant());
    }
};
}

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--portal-scheme") {
        QCoreApplication app(argc, argv);
        PortalSettings settings;
        settings.scheme = QByteArray(argv[2]).toUInt();
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &settings,
                QDBusConnection::ExportAllSlots)
            || !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
            std::fprintf(stderr, "x11-grab: cannot serve the portal\n");
            return 1;
        }
        return app.exec();
    }
    if (argc >= 4 && QByteArray(argv[1]) == "--convert")
        return QImage(QString::fromLocal8Bit(argv[2])).save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    if (argc < 2) {
        std::fprintf(stderr, "usage: x11-grab OUT.png [x y w h] | --portal-scheme N\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap shot = argc >= 6 ? screen->grabWindow(0, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]))
                             : screen->grabWindow(0);
    return shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}

#include "x11-grab.moc"
