#pragma once

#include "confetti/ConfettiCannon.h"

#include <QPointer>
#include <QWidget>

// Draws a cannon's bursts over a host widget, centred on an anchor widget inside it. The overlay
// covers the whole host so that pieces may fly far beyond the anchor, lets every click through,
// and is hidden while no burst is on screen. The anchor's first appearance marks the cannon
// appeared; the overlay and its cannon go when the anchor goes.
class ConfettiOverlay : public QWidget {
    Q_OBJECT
public:
    // Without a host the overlay covers the anchor's window, following it when the anchor is
    // shown in another one.
    ConfettiOverlay(QWidget* anchor, QWidget* host, ConfettiCannon* cannon);

    ConfettiCannon* cannon() const { return m_cannon; }
    // The burst centre in the overlay's coordinates: the anchor's centre.
    QPointF origin() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    QPointer<QWidget> m_anchor;
    ConfettiCannon* m_cannon;
    bool m_followsWindow;
    QRect m_painted; // the area the last frame drew on
};

// Attaches a confetti cannon to `anchor`: bursts fly from its centre over `host` (its window when
// none is given). `trigger` is the bound value as it is now; changing the returned cannon's
// trigger from it fires. The cannon lives as long as the anchor.
ConfettiCannon* confettiCannon(QWidget* anchor, const QVariant& trigger, const ConfettiOptions& options,
    QWidget* host = nullptr, ConfettiClock clock = defaultConfettiClock(),
    ConfettiRandom random = defaultConfettiRandom());
