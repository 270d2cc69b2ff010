// The colour scheme from a portal on a real (private) session bus; the portal itself is
// played by this test.
#include "platform/PortalColorSchemeProvider.h"

#include "support/Wait.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
class PortalSettings final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint scheme = 1;
    bool nested = true; // older portals answer Read with a variant inside a variant

public Q_SLOTS:
    QDBusVariant Read(const QString& ns, const QString& key)
    {
        if (ns != QStringLiteral("org.freedesktop.appearance") || key != QStringLiteral("color-scheme"))
            return QDBusVariant(QVariant());
        const QVariant value = QVariant::fromValue(scheme);
        return nested ? QDBusVariant(QVariant::fromValue(QDBusVariant(value))) : QDBusVariant(value);
    }
};

class PrivateBus {
public:
    PrivateBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        if (!m_daemon.waitForStarted(3000))
            return;
        for (int i = 0; i < 50 && !m_address.contains('\n'); ++i) {
            m_daemon.waitForReadyRead(100);
            m_address += m_daemon.readAllStandardOutput();
        }
        m_address = m_address.trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(2000);
    }
    QDBusConnection connect(const QString& name) const
    {
        return QDBusConnection::connectToBus(QString::fromUtf8(m_address), name);
    }
    bool ok() const { return !m_address.isEmpty(); }

private:
    QProcess m_daemon;
    QByteArray m_address;
};

void emitChanged(QDBusConnection& bus, uint scheme)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"));
    signal << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
           << QVariant::fromValue(QDBusVariant(QVariant::fromValue(scheme)));
    bus.send(signal);
}

struct PaletteGuard {
    QPalette saved = QGuiApplication::palette();
    ~PaletteGuard() { QGuiApplication::setPalette(saved); }
};

void setWindowColour(const QColor& colour)
{
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Window, colour);
    QGuiApplication::setPalette(palette);
}
}

TEST(PortalColorScheme, FollowsThePortalAndItsChanges)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    QDBusConnection service = bus.connect(QStringLiteral("portal"));
    PortalSettings settings;
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &settings,
        QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));

    PaletteGuard guard;
    setWindowColour(Qt::white);
    PortalColorSchemeProvider provider(bus.connect(QStringLiteral("client")));
    QSignalSpy changed(&provider, &ColorSchemeProvider::changed);
    ASSERT_TRUE(waitUntil([&] { return provider.current() == ColorScheme::dark; }));
    EXPECT_EQ(provider.portalPreference(), 1);
    EXPECT_EQ(changed.count(), 1);

    emitChanged(service, 2);
    ASSERT_TRUE(waitUntil([&] { return provider.current() == ColorScheme::light; }));
    // A setting of another key is not ours.
    QDBusMessage other = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"));
    other << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("accent-color")
          << QVariant::fromValue(QDBusVariant(QVariant::fromValue(1u)));
    service.send(other);
    spin(100);
    EXPECT_EQ(provider.current(), ColorScheme::light);

    // No preference: the palette decides, and its changes count.
    emitChanged(service, 0);
    spin(100);
    EXPECT_EQ(provider.current(), ColorScheme::light);
    setWindowColour(QColor(30, 30, 30));
    EXPECT_EQ(provider.current(), ColorScheme::dark);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.last().at(0).value<ColorScheme>(), ColorScheme::dark);

    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
}

TEST(PortalColorScheme, PlainVariantAnswerToo)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    QDBusConnection service = bus.connect(QStringLiteral("portal2"));
    PortalSettings settings;
    settings.nested = false;
    settings.scheme = 1;
    service.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &settings, QDBusConnection::ExportAllSlots);
    service.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    PortalColorSchemeProvider provider(bus.connect(QStringLiteral("client2")));
    EXPECT_TRUE(waitUntil([&] { return provider.portalPreference() == 1; }));
    QDBusConnection::disconnectFromBus(QStringLiteral("portal2"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client2"));
}

TEST(PortalColorScheme, WithoutAPortalThePaletteDecides)
{
    PaletteGuard guard;
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    setWindowColour(QColor(20, 22, 26));
    PortalColorSchemeProvider provider(bus.connect(QStringLiteral("lonely")));
    EXPECT_EQ(provider.current(), ColorScheme::dark);
    spin(200); // the failed call comes back and changes nothing
    EXPECT_EQ(provider.portalPreference(), -1);
    EXPECT_EQ(provider.current(), ColorScheme::dark);
    setWindowColour(QColor(250, 250, 250));
    EXPECT_EQ(provider.current(), ColorScheme::light);
    QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));

    // No bus at all (the test environment's session bus does not exist).
    PortalColorSchemeProvider busless(QDBusConnection::sessionBus());
    EXPECT_EQ(busless.current(), ColorScheme::light);
}

#include "PortalColorScheme_test.moc"
