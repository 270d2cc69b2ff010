#pragma once

#include <QString>
#include <Qt>

#include <cstdint>
#include <optional>

class QKeyEvent;

// Stored shortcuts keep key-position codes (the hardware key, independent of the layout) and the
// modifier bits below, so their stored form stays as it always was. This table maps them to the
// X server's keycodes (evdev positions) and keysyms, and to Qt's keys.
//
// Modifiers follow Qt's convention on Linux: command = Ctrl, control = Super, option = Alt.
namespace CarbonModifier {
inline constexpr quint32 command = 256;
inline constexpr quint32 shift = 512;
inline constexpr quint32 option = 2048;
inline constexpr quint32 control = 4096;
inline constexpr quint32 all = command | shift | option | control;
}

struct KeyInfo {
    quint32 keyCode; // stored key-position code
    quint8 xKeycode; // X keycode of the same position (evdev code + 8)
    quint32 keysym; // X keysym the key types on a US layout, without modifiers
    int qtKey; // Qt::Key of that keysym
    const char* label; // what the user sees for the key
};

inline constexpr quint32 escapeKeyCode = 53;

std::optional<KeyInfo> keyForCode(quint32 keyCode);
std::optional<KeyInfo> keyForXKeycode(quint32 xKeycode);
// Letters match in either case.
std::optional<KeyInfo> keyForKeysym(quint32 keysym);
std::optional<KeyInfo> keyForQtKey(int qtKey);
// The key a key event is about: by X keycode when the platform reports one, else by keysym, else
// by Qt key.
std::optional<KeyInfo> keyForEvent(const QKeyEvent& event);

// Shift, Ctrl, Alt, Super and the like pressed on their own: the start of a combination, not a key.
bool isModifierKey(int qtKey);

// The stored modifier bits of held Qt modifiers; every other flag (keypad, group switch) is ignored.
quint32 carbonModifierMask(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiers(quint32 carbonModifiers);

// X modifier masks (the core protocol's state bits) for the stored bits. Alt and Super sit on Mod1
// and Mod4 unless the server's modifier map says otherwise.
struct XModifierMasks {
    quint16 alt = 0x0008; // Mod1
    quint16 super = 0x0040; // Mod4
};
quint16 xModifierMask(quint32 carbonModifiers, const XModifierMasks& masks = {});

// The text shown for a combination, in Linux wording: "Ctrl+Shift+6".
QString keyText(quint32 carbonModifiers, const QString& keyLabel);
