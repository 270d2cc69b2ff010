#pragma once

#include "platform/SystemScreenshotTool.h"

#include <QDBusConnection>

// The desktop's screenshot tool through xdg-desktop-portal's Screenshot interface: interactive
// (the desktop's own chooser) for everything but the full screen. The file it answers with is
// handed on through `captured`.
class PortalScreenshotTool final : public SystemScreenshotTool {
    Q_OBJECT
public:
    explicit PortalScreenshotTool(QDBusConnection bus, QObject* parent = nullptr);

    bool isAvailable() const override;
    QString explainUnavailable() const override;
    void capture(SystemCapture what) override;

    static const QString interface; // org.freedesktop.portal.Screenshot

private:
    QDBusConnection m_bus;
};
