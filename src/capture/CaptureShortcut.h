#pragma once

#include "capture/CaptureAction.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <optional>

class QKeyEvent;

// One global hot-key binding: a key-position code, its modifier bits (see platform/Keys.h) and
// the label shown for the key. Stored as JSON {"keyCode", "carbonModifiers", "keyLabel"}.
struct CaptureShortcut {
    quint32 keyCode = 0;
    quint32 carbonModifiers = 0;
    QString keyLabel;

    bool operator==(const CaptureShortcut&) const = default;

    // "Ctrl+Shift+6".
    QString displayString() const;

    // A binding needs a modifier besides Shift: without one it would take ordinary typing away
    // from every application.
    bool isValid() const;

    // The shortcut a key press records; none when it holds no modifier besides Shift, or the key
    // is not one a hot key can use.
    static std::optional<CaptureShortcut> fromKeyEvent(const QKeyEvent& event);

    QByteArray toJson() const;
    // All three keys with the right types are required; extra keys are ignored; unknown modifier
    // bits are dropped. No value for anything else, including an invalid binding.
    static std::optional<CaptureShortcut> fromJson(const QByteArray& json);

    // Ctrl+Shift+6, Ctrl+Shift+7 and Ctrl+Shift+8.
    static CaptureShortcut defaultFor(CaptureAction action);
};

Q_DECLARE_METATYPE(CaptureShortcut)

// "captureShortcut.<action>".
QString shortcutDefaultsKey(CaptureAction action);
