#include "platform/KeyboardLayout.h"

#include "platform/Keys.h"
#include "platform/X11Connection.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace {

// Dead keys have no character of their own; the user sees the accent they type.
constexpr std::pair<quint32, char16_t> kDeadKeys[] = {
    { 0xfe50, u'`' }, { 0xfe51, u'\u00b4' }, { 0xfe52, u'^' }, { 0xfe53, u'~' }, { 0xfe54, u'\u00af' },
    { 0xfe55, u'\u02d8' }, { 0xfe56, u'\u02d9' }, { 0xfe57, u'\u00a8' }, { 0xfe58, u'\u02da' }, { 0xfe59, u'\u02dd' },
    { 0xfe5a, u'\u02c7' }, { 0xfe5b, u'\u00b8' }, { 0xfe5c, u'\u02db' },
};

class XkbKeyboardLayout final : public KeyboardLayout {
public:
    explicit XkbKeyboardLayout(xcb_connection_t* connection)
        : m_connection(connection)
        , m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref)
    {
        m_ready = m_context
            && xkb_x11_setup_xkb_extension(m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                   XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr);
    }

    std::optional<QString> label(quint32 keyCode) const override
    {
        const auto sym = keysym(keyCode);
        if (!sym)
            return std::nullopt;
        return labelForKeysym(*sym);
    }

    std::optional<quint32> keysym(quint32 keyCode) const override
    {
        const auto key = keyForCode(keyCode);
        if (!key || !m_ready || xcb_connection_has_error(m_connection))
            return std::nullopt;
        // Keypad keys read the same on every layout; their level 0 depends on Num Lock.
        if (key->keysym >= 0xff80 && key->keysym <= 0xffbd)
            return std::nullopt;
        const int32_t device = xkb_x11_get_core_keyboard_device_id(m_connection);
        if (device < 0)
            return std::nullopt;
        std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
            xkb_x11_keymap_new_from_device(m_context.get(), m_connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS),
            xkb_keymap_unref);
        if (!keymap)
            return std::nullopt;
        std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(
            xkb_x11_state_new_from_device(keymap.get(), m_connection, device), xkb_state_unref);
        const xkb_layout_index_t layout
            = state ? xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE) : 0;
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), key->xKeycode, layout, 0, &syms);
        if (count < 1 || !syms || syms[0] == XKB_KEY_NoSymbol)
            return std::nullopt;
        return quint32(syms[0]);
    }

private:
    xcb_connection_t* m_connection;
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> m_context;
    bool m_ready = false;
};

KeyboardLayout* g_override = nullptr;

}

KeyboardLayout* KeyboardLayout::shared()
{
    if (g_override)
        return g_override;
    static KeyboardLayout* session = []() -> KeyboardLayout* {
        xcb_connection_t* connection = X11Connection::qt();
        return connection ? new XkbKeyboardLayout(connection) : nullptr;
    }();
    return session;
}

void KeyboardLayout::setShared(KeyboardLayout* layout)
{
    g_override = layout;
}

QString labelForKeysym(quint32 keysym)
{
    for (const auto& [dead, spacing] : kDeadKeys) {
        if (dead == keysym)
            return QString(QChar(spacing));
    }
    char utf8[16] = {};
    const int length = xkb_keysym_to_utf8(keysym, utf8, sizeof utf8);
    const QString text = length > 1 ? QString::fromUtf8(utf8) : QString();
    // A character that shows; Space, Tab, Enter and the like keep the table's names.
    if (text.size() == 1 && text[0].isPrint() && !text[0].isSpace())
        return QString(text[0].toUpper());
    if (text.size() == 2 && text[0].isHighSurrogate())
        return text;
    if (const auto key = keyForKeysym(keysym))
        return QString::fromUtf8(key->label);
    char name[64] = {};
    if (xkb_keysym_get_name(keysym, name, sizeof name) > 0)
        return QString::fromLatin1(name);
    return QStringLiteral("?");
}

quint32 keysymFor(quint32 keyCode)
{
    if (const KeyboardLayout* layout = KeyboardLayout::shared()) {
        if (const auto sym = layout->keysym(keyCode))
            return *sym;
    }
    const auto key = keyForCode(keyCode);
    return key ? key->keysym : 0;
}

QString keyLabelFor(quint32 keyCode, const QString& fallback)
{
    if (const KeyboardLayout* layout = KeyboardLayout::shared()) {
        if (const auto label = layout->label(keyCode))
            return *label;
    }
    if (!fallback.isEmpty())
        return fallback;
    if (const auto key = keyForCode(keyCode))
        return QString::fromUtf8(key->label);
    return QStringLiteral("?");
}
