#pragma once

#include <QString>

#include <optional>

// What the active keyboard layout prints on a key: stored shortcuts keep key positions, and the
// label shown for one is the symbol the layout puts on that position without modifiers (level 0),
// so a German layout shows Ctrl+Alt+Z where a US one shows Ctrl+Alt+Y, and Ctrl+Shift+6 reads
// "6", not "^".
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // The label of a stored key-position code; none when the layout has nothing to say about it.
    virtual std::optional<QString> label(quint32 keyCode) const = 0;
    // The keysym the layout puts on the position without modifiers; none when it has nothing to
    // say about it.
    virtual std::optional<quint32> keysym(quint32 keyCode) const { return std::nullopt; }

    // The X server's layout (read afresh each time, so a layout switch shows at once) when Qt runs
    // on xcb; otherwise none, and the key table's labels apply.
    static KeyboardLayout* shared();
    // For tests: replaces the shared layout (null restores the session's).
    static void setShared(KeyboardLayout* layout);
};

// The label shown for a key position: the active layout's, else `fallback` (a stored label),
// else the key table's, else "?".
QString keyLabelFor(quint32 keyCode, const QString& fallback = {});
// The keysym of a key position: the active layout's, else the key table's (US); 0 for a position
// the table does not know.
quint32 keysymFor(quint32 keyCode);

// The label for an X keysym: its character in upper case where it types one, the spacing form of
// a dead key, else the key table's name for it, else the keysym's own name.
QString labelForKeysym(quint32 keysym);
