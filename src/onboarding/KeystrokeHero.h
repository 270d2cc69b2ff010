#pragma once

#include "platform/KeystrokeScreenshotTool.h"

#include <QStringList>
#include <QWidget>

// The capture page's hero: the desktop's key for capturing an area as large key caps on a pink
// glow, and below it the key of its screenshot tool (a window or the whole screen) as small caps,
// both as the Shortcuts tab of the settings names them. Takes no input.
class KeystrokeHero : public QWidget {
    Q_OBJECT
public:
    explicit KeystrokeHero(const DesktopScreenshotKeys& keys = DesktopScreenshotKeys::forSession(), QWidget* parent = nullptr);

    // The large caps' labels and the small caps' labels, in order.
    const QStringList& keys() const { return m_keys; }
    const QStringList& miniKeys() const { return m_miniKeys; }
    // Where the large caps sit, in widget coordinates.
    QList<QRectF> keyRects() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString miniCaption() const;

    QStringList m_keys;
    QStringList m_miniKeys;
};
