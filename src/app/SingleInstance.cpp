#include "app/SingleInstance.h"

#include "platform/Log.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {
const QString kService = QStringLiteral("io.lumaforge.Lumaforge");
const QString kPath = QStringLiteral("/io/lumaforge/Lumaforge");
}

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{
}

bool SingleInstance::claim(std::function<void()> onActivate)
{
    m_onActivate = std::move(onActivate);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    if (bus.registerService(kService)) {
        bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
        return true;
    }
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("activate"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        // The other instance does not answer: run anyway rather than leave the user with nothing.
        logLine(QStringLiteral("another instance holds %1 but does not answer: %2").arg(kService, reply.errorMessage()));
        return true;
    }
    return false;
}

void SingleInstance::activate()
{
    if (m_onActivate)
        m_onActivate();
}
