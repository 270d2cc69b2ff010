#pragma once

#include "platform/KeystrokeScreenshotTool.h"

#include <QList>
#include <QWidget>

#include <utility>

class CaptureShortcutStore;
class GlobalHotkeys;
class ShortcutRecorder;

// The settings window's Shortcuts tab: a recorder per capture action (with a line under its row
// for what the recorder has to say), the desktop's own screenshot keys as key caps (display
// only), and the line that says nothing needs granting. Where hot keys cannot work in this
// session, a notice at the top says why and what to do instead.
class ShortcutsTab final : public QWidget {
    Q_OBJECT
public:
    ShortcutsTab(CaptureShortcutStore& store, GlobalHotkeys* hotkeys, const DesktopScreenshotKeys& desktopKeys,
        const QString& hotkeysUnavailable, QWidget* parent = nullptr);

    QList<ShortcutRecorder*> recorders() const { return m_recorders; }

    // Title and key-combination text of each desktop screenshot key, in the order shown: the
    // keys the application presses for the desktop's tool ("Alt+Print then Space" where picking
    // a window takes two presses).
    static QList<std::pair<QString, QString>> desktopRows(const DesktopScreenshotKeys& keys);

private:
    QList<ShortcutRecorder*> m_recorders;
};
