// Desktop helpers for looking at the real application on a private X server:
//   x11-grab OUT.png [x y w h]     saves the screen (or a part of it) as PNG
//   x11-grab --convert IN OUT [W [Q]]  converts an image file (e.g. PPM to PNG), scaled smoothly
//                                  to W pixels wide when given, at quality Q for JPEG
//   x11-grab --wallpaper [IMAGE]   covers the screen with a desktop-like gradient, IMAGE shown on
//                                  it as a window, until killed (there is no desktop on Xvfb)
//   x11-grab --portal-scheme N     answers the desktop portal's colour-scheme setting with N
//                                  (1 dark, 2 light) on the session bus until killed
#include <QApplication>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

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

class Wallpaper final : public QWidget {
public:
    QImage window;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        QLinearGradient sky(0, 0, width(), height());
        sky.setColorAt(0, QColor(31, 64, 122));
        sky.setColorAt(0.55, QColor(92, 78, 160));
        sky.setColorAt(1, QColor(214, 112, 138));
        p.fillRect(rect(), sky);
        if (window.isNull())
            return;
        // Centred below the top edge, where the panel drops over its title bar.
        const QSize size = window.size().scaled(width() * 0.6, height() * 0.6, Qt::KeepAspectRatio);
        const QRect frame(QPoint((width() - size.width()) / 2, height() / 5), size);
        for (int i = 12; i > 0; --i) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 0, 0, 6));
            p.drawRoundedRect(frame.adjusted(-i, -i + 6, i, i + 6), 10 + i, 10 + i);
        }
        QPainterPath clip;
        clip.addRoundedRect(frame, 10, 10);
        p.setClipPath(clip);
        p.drawImage(frame, window);
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
    if (argc >= 4 && QByteArray(argv[1]) == "--convert") {
        QImage image(QString::fromLocal8Bit(argv[2]));
        if (argc >= 5 && !image.isNull())
            image = image.scaledToWidth(atoi(argv[4]), Qt::SmoothTransformation);
        return image.save(QString::fromLocal8Bit(argv[3]), nullptr, argc >= 6 ? atoi(argv[5]) : -1) ? 0 : 1;
    }
    if (argc >= 2 && QByteArray(argv[1]) == "--wallpaper") {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QApplication app(argc, argv);
        Wallpaper wallpaper;
        if (argc >= 3)
            wallpaper.window = QImage(QString::fromLocal8Bit(argv[2]));
        wallpaper.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
        wallpaper.setGeometry(QGuiApplication::primaryScreen()->geometry());
        wallpaper.show();
        return app.exec();
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: x11-grab OUT.png [x y w h] | --convert IN OUT [W [Q]] | --wallpaper [IMAGE] | --portal-scheme N\n");
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
