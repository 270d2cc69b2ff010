#include "platform/Keys.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <utility>

namespace {

constexpr quint8 ev(int evdevCode) { return quint8(evdevCode + 8); }
// Keys the stored form had no position code for take one past its range: 0x10000 plus the
// key's Linux input code.
constexpr quint32 linuxKey(int evdevCode) { return 0x10000u + quint32(evdevCode); }
constexpr int kp(Qt::Key key) { return int(key) | int(Qt::KeypadModifier); }

// Position code, X keycode, US keysym, Qt key, label.
constexpr KeyInfo kKeys[] = {
    { 0, ev(30), 0x61, Qt::Key_A, "A" },
    { 1, ev(31), 0x73, Qt::Key_S, "S" },
    { 2, ev(32), 0x64, Qt::Key_D, "D" },
    { 3, ev(33), 0x66, Qt::Key_F, "F" },
    { 4, ev(35), 0x68, Qt::Key_H, "H" },
    { 5, ev(34), 0x67, Qt::Key_G, "G" },
    { 6, ev(44), 0x7a, Qt::Key_Z, "Z" },
    { 7, ev(45), 0x78, Qt::Key_X, "X" },
    { 8, ev(46), 0x63, Qt::Key_C, "C" },
    { 9, ev(47), 0x76, Qt::Key_V, "V" },
    { 10, ev(86), 0x3c, Qt::Key_Less, "<" },
    { 11, ev(48), 0x62, Qt::Key_B, "B" },
    { 12, ev(16), 0x71, Qt::Key_Q, "Q" },
    { 13, ev(17), 0x77, Qt::Key_W, "W" },
    { 14, ev(18), 0x65, Qt::Key_E, "E" },
    { 15, ev(19), 0x72, Qt::Key_R, "R" },
    { 16, ev(21), 0x79, Qt::Key_Y, "Y" },
    { 17, ev(20), 0x74, Qt::Key_T, "T" },
    { 18, ev(2), 0x31, Qt::Key_1, "1" },
    { 19, ev(3), 0x32, Qt::Key_2, "2" },
    { 20, ev(4), 0x33, Qt::Key_3, "3" },
    { 21, ev(5), 0x34, Qt::Key_4, "4" },
    { 22, ev(7), 0x36, Qt::Key_6, "6" },
    { 23, ev(6), 0x35, Qt::Key_5, "5" },
    { 24, ev(13), 0x3d, Qt::Key_Equal, "=" },
    { 25, ev(10), 0x39, Qt::Key_9, "9" },
    { 26, ev(8), 0x37, Qt::Key_7, "7" },
    { 27, ev(12), 0x2d, Qt::Key_Minus, "-" },
    { 28, ev(9), 0x38, Qt::Key_8, "8" },
    { 29, ev(11), 0x30, Qt::Key_0, "0" },
    { 30, ev(27), 0x5d, Qt::Key_BracketRight, "]" },
    { 31, ev(24), 0x6f, Qt::Key_O, "O" },
    { 32, ev(22), 0x75, Qt::Key_U, "U" },
    { 33, ev(26), 0x5b, Qt::Key_BracketLeft, "[" },
    { 34, ev(23), 0x69, Qt::Key_I, "I" },
    { 35, ev(25), 0x70, Qt::Key_P, "P" },
    { 36, ev(28), 0xff0d, Qt::Key_Return, "Enter" },
    { 37, ev(38), 0x6c, Qt::Key_L, "L" },
    { 38, ev(36), 0x6a, Qt::Key_J, "J" },
    { 39, ev(40), 0x27, Qt::Key_Apostrophe, "'" },
    { 40, ev(37), 0x6b, Qt::Key_K, "K" },
    { 41, ev(39), 0x3b, Qt::Key_Semicolon, ";" },
    { 42, ev(43), 0x5c, Qt::Key_Backslash, "\\" },
    { 43, ev(51), 0x2c, Qt::Key_Comma, "," },
    { 44, ev(53), 0x2f, Qt::Key_Slash, "/" },
    { 45, ev(49), 0x6e, Qt::Key_N, "N" },
    { 46, ev(50), 0x6d, Qt::Key_M, "M" },
    { 47, ev(52), 0x2e, Qt::Key_Period, "." },
    { 48, ev(15), 0xff09, Qt::Key_Tab, "Tab" },
    { 49, ev(57), 0x20, Qt::Key_Space, "Space" },
    { 50, ev(41), 0x60, Qt::Key_QuoteLeft, "`" },
    { 51, ev(14), 0xff08, Qt::Key_Backspace, "Backspace" },
    { 53, ev(1), 0xff1b, Qt::Key_Escape, "Esc" },
    { 64, ev(187), 0xffce, Qt::Key_F17, "F17" },
    { 65, ev(83), 0xffae, kp(Qt::Key_Period), "Num ." },
    { 67, ev(55), 0xffaa, kp(Qt::Key_Asterisk), "Num *" },
    { 69, ev(78), 0xffab, kp(Qt::Key_Plus), "Num +" },
    { 71, ev(69), 0xff7f, Qt::Key_NumLock, "Num Lock" },
    { 75, ev(98), 0xffaf, kp(Qt::Key_Slash), "Num /" },
    { 76, ev(96), 0xff8d, Qt::Key_Enter, "Num Enter" },
    { 78, ev(74), 0xffad, kp(Qt::Key_Minus), "Num -" },
    { 79, ev(188), 0xffcf, Qt::Key_F18, "F18" },
    { 80, ev(189), 0xffd0, Qt::Key_F19, "F19" },
    { 81, ev(117), 0xffbd, kp(Qt::Key_Equal), "Num =" },
    { 82, ev(82), 0xffb0, kp(Qt::Key_0), "Num 0" },
    { 83, ev(79), 0xffb1, kp(Qt::Key_1), "Num 1" },
    { 84, ev(80), 0xffb2, kp(Qt::Key_2), "Num 2" },
    { 85, ev(81), 0xffb3, kp(Qt::Key_3), "Num 3" },
    { 86, ev(75), 0xffb4, kp(Qt::Key_4), "Num 4" },
    { 87, ev(76), 0xffb5, kp(Qt::Key_5), "Num 5" },
    { 88, ev(77), 0xffb6, kp(Qt::Key_6), "Num 6" },
    { 89, ev(71), 0xffb7, kp(Qt::Key_7), "Num 7" },
    { 90, ev(190), 0xffd1, Qt::Key_F20, "F20" },
    { 91, ev(72), 0xffb8, kp(Qt::Key_8), "Num 8" },
    { 92, ev(73), 0xffb9, kp(Qt::Key_9), "Num 9" },
    { 96, ev(63), 0xffc2, Qt::Key_F5, "F5" },
    { 97, ev(64), 0xffc3, Qt::Key_F6, "F6" },
    { 98, ev(65), 0xffc4, Qt::Key_F7, "F7" },
    { 99, ev(61), 0xffc0, Qt::Key_F3, "F3" },
    { 100, ev(66), 0xffc5, Qt::Key_F8, "F8" },
    { 101, ev(67), 0xffc6, Qt::Key_F9, "F9" },
    { 103, ev(87), 0xffc8, Qt::Key_F11, "F11" },
    { 105, ev(183), 0xffca, Qt::Key_F13, "F13" },
    { 106, ev(186), 0xffcd, Qt::Key_F16, "F16" },
    { 107, ev(184), 0xffcb, Qt::Key_F14, "F14" },
    { 109, ev(68), 0xffc7, Qt::Key_F10, "F10" },
    { 111, ev(88), 0xffc9, Qt::Key_F12, "F12" },
    { 113, ev(185), 0xffcc, Qt::Key_F15, "F15" },
    { 114, ev(110), 0xff63, Qt::Key_Insert, "Ins" },
    { 115, ev(102), 0xff50, Qt::Key_Home, "Home" },
    { 116, ev(104), 0xff55, Qt::Key_PageUp, "PgUp" },
    { 117, ev(111), 0xffff, Qt::Key_Delete, "Del" },
    { 118, ev(62), 0xffc1, Qt::Key_F4, "F4" },
    { 119, ev(107), 0xff57, Qt::Key_End, "End" },
    { 120, ev(60), 0xffbf, Qt::Key_F2, "F2" },
    { 121, ev(109), 0xff56, Qt::Key_PageDown, "PgDown" },
    { 122, ev(59), 0xffbe, Qt::Key_F1, "F1" },
    { 123, ev(105), 0xff51, Qt::Key_Left, "Left" },
    { 124, ev(106), 0xff53, Qt::Key_Right, "Right" },
    { 125, ev(108), 0xff54, Qt::Key_Down, "Down" },
    { 126, ev(103), 0xff52, Qt::Key_Up, "Up" },
    { 72, ev(115), 0x1008ff13, Qt::Key_VolumeUp, "Volume Up" },
    { 73, ev(114), 0x1008ff11, Qt::Key_VolumeDown, "Volume Down" },
    { 74, ev(113), 0x1008ff12, Qt::Key_VolumeMute, "Mute" },
    { 110, ev(127), 0xff67, Qt::Key_Menu, "Menu" },
    { linuxKey(99), ev(99), 0xff61, Qt::Key_Print, "Print" },
    { linuxKey(70), ev(70), 0xff14, Qt::Key_ScrollLock, "Scroll Lock" },
    { linuxKey(119), ev(119), 0xff13, Qt::Key_Pause, "Pause" },
    { linuxKey(163), ev(163), 0x1008ff17, Qt::Key_MediaNext, "Next Track" },
    { linuxKey(164), ev(164), 0x1008ff14, Qt::Key_MediaPlay, "Play" },
    { linuxKey(165), ev(165), 0x1008ff16, Qt::Key_MediaPrevious, "Previous Track" },
    { linuxKey(166), ev(166), 0x1008ff15, Qt::Key_MediaStop, "Stop" },
    { linuxKey(140), ev(140), 0x1008ff1d, Qt::Key_Calculator, "Calculator" },
    { linuxKey(155), ev(155), 0x1008ff19, Qt::Key_LaunchMail, "Mail" },
    { linuxKey(172), ev(172), 0x1008ff18, Qt::Key_HomePage, "Home Page" },
    { linuxKey(217), ev(217), 0x1008ff1b, Qt::Key_Search, "Search" },
    { linuxKey(248), ev(248), 0x1008ffb2, Qt::Key_MicMute, "Mic Mute" },
};

template <typename Match>
std::optional<KeyInfo> findKey(Match match)
{
    for (const KeyInfo& key : kKeys) {
        if (match(key))
            return key;
    }
    return std::nullopt;
}

}

std::optional<KeyInfo> keyForCode(quint32 keyCode)
{
    return findKey([&](const KeyInfo& k) { return k.keyCode == keyCode; });
}

std::optional<KeyInfo> keyForXKeycode(quint32 xKeycode)
{
    return findKey([&](const KeyInfo& k) { return k.xKeycode == xKeycode; });
}

std::optional<KeyInfo> keyForKeysym(quint32 keysym)
{
    if (keysym >= 0x41 && keysym <= 0x5a) // upper-case Latin letters
        keysym += 0x20;
    return findKey([&](const KeyInfo& k) { return k.keysym == keysym; });
}

std::optional<KeyInfo> keyForQtKey(int qtKey)
{
    return findKey([&](const KeyInfo& k) { return k.qtKey == qtKey; });
}

std::optional<KeyInfo> keyForEvent(const QKeyEvent& event)
{
    if (event.nativeScanCode() != 0) {
        if (auto key = keyForXKeycode(event.nativeScanCode()))
            return key;
    }
    if (event.nativeVirtualKey() != 0) {
        if (auto key = keyForKeysym(event.nativeVirtualKey()))
            return key;
    }
    const int keypad = (event.modifiers() & Qt::KeypadModifier) ? int(Qt::KeypadModifier) : 0;
    if (auto key = keyForQtKey(event.key() | keypad))
        return key;
    return keyForQtKey(event.key());
}

namespace {
// Each stored bit and the Qt modifier it stands for.
constexpr std::pair<quint32, Qt::KeyboardModifier> kModifierBits[] = {
    { CarbonModifier::command, Qt::ControlModifier },
    { CarbonModifier::shift, Qt::ShiftModifier },
    { CarbonModifier::option, Qt::AltModifier },
    { CarbonModifier::control, Qt::MetaModifier },
};
}

bool isModifierKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

quint32 carbonModifierMask(Qt::KeyboardModifiers modifiers)
{
    quint32 mask = 0;
    for (const auto& [bit, qt] : kModifierBits)
        mask |= (modifiers & qt) ? bit : 0;
    return mask;
}

Qt::KeyboardModifiers qtModifiers(quint32 carbonModifiers)
{
    Qt::KeyboardModifiers out;
    for (const auto& [bit, qt] : kModifierBits) {
        if (carbonModifiers & bit)
            out |= qt;
    }
    return out;
}

quint16 xModifierMask(quint32 carbonModifiers, const XModifierMasks& masks)
{
    quint16 mask = 0;
    if (carbonModifiers & CarbonModifier::shift)
        mask |= 0x0001; // ShiftMask
    if (carbonModifiers & CarbonModifier::command)
        mask |= 0x0004; // ControlMask
    if (carbonModifiers & CarbonModifier::option)
        mask |= masks.alt;
    if (carbonModifiers & CarbonModifier::control)
        mask |= masks.super;
    return mask;
}

QString keyText(quint32 carbonModifiers, const QString& keyLabel)
{
    // Qt's order on Linux: Ctrl, Alt, Shift, then Super.
    QString text;
    const auto add = [&](quint32 bit, const char* name) {
        if (carbonModifiers & bit)
            text += QCoreApplication::translate("Keys", name) + QLatin1Char('+');
    };
    add(CarbonModifier::command, "Ctrl");
    add(CarbonModifier::option, "Alt");
    add(CarbonModifier::shift, "Shift");
    add(CarbonModifier::control, "Super");
    return text + keyLabel;
}
