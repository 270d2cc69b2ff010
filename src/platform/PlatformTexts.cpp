#include "platform/PlatformTexts.h"

#include <QCoreApplication>

#include <cstring>

namespace {
struct Entry {
    const char* design;
    const char* adapted;
};

// Keep both columns literal: translators see the adapted column through QT_TRANSLATE_NOOP.
constexpr Entry kTable[] = {
    // Glyph shortcuts of the application's own commands.
    { "⌘C", QT_TRANSLATE_NOOP("PlatformTexts", "Ctrl+C") },
    { "⌘E", QT_TRANSLATE_NOOP("PlatformTexts", "Ctrl+E") },
    { "⌘O", QT_TRANSLATE_NOOP("PlatformTexts", "Ctrl+O") },
    { "⌘V", QT_TRANSLATE_NOOP("PlatformTexts", "Ctrl+V") },
    { "Screenshot copied — press ⌘V to paste in ",
        QT_TRANSLATE_NOOP("PlatformTexts", "Screenshot copied — press Ctrl+V to paste in ") },
    { "Delete selection (⌫)", QT_TRANSLATE_NOOP("PlatformTexts", "Delete selection (Del)") },
    { " drawn · Select to drag, ⌫ to delete.", QT_TRANSLATE_NOOP("PlatformTexts", " drawn · Select to drag, Delete to delete.") },

    // The desktop screenshot tool's shortcuts.
    { "⇧⌘4", QT_TRANSLATE_NOOP("PlatformTexts", "Print") },
    { "⇧⌘4 then Space", QT_TRANSLATE_NOOP("PlatformTexts", "Alt+Print") },
    { "⇧⌘3", QT_TRANSLATE_NOOP("PlatformTexts", "Shift+Print") },
    { "⇧⌘5", QT_TRANSLATE_NOOP("PlatformTexts", "Print") },
    { "Screenshot toolbar", QT_TRANSLATE_NOOP("PlatformTexts", "Screenshot tool") },
    // %1: the desktop's key for capturing an area (DesktopScreenshotKeys::text).
    { "⌘⇧4 to snap", QT_TRANSLATE_NOOP("PlatformTexts", "%1 to snap") },
    // %1: the desktop's key for capturing an area (DesktopScreenshotKeys::text).
    { "Press ⇧⌘4 — new screenshots open here automatically.",
        QT_TRANSLATE_NOOP("PlatformTexts", "Press %1 — new screenshots open here automatically.") },
    { "Thanks for giving Lumaforge a shot, it really means a lot.\nHit ⌘⇧4 whenever you're ready. We'll be here.",
        QT_TRANSLATE_NOOP("PlatformTexts",
            "Thanks for giving Lumaforge a shot, it really means a lot.\nHit %1 whenever you're ready. We'll be here.") },
    { "Use the macOS shortcut you already know. Your shot lands here the instant you take it.",
        QT_TRANSLATE_NOOP("PlatformTexts",
            "Use the screenshot shortcut you already know. Your shot lands here the instant you take it.") },
    { "macOS screenshot shortcuts", QT_TRANSLATE_NOOP("PlatformTexts", "Desktop screenshot shortcuts") },
    { "Lumaforge uses your Mac's built-in capture shortcuts — nothing to grant. Take a screenshot and it opens here "
      "automatically. You can also paste (⌘V) or open a file from the menu-bar.",
        QT_TRANSLATE_NOOP("PlatformTexts",
            "Lumaforge uses your desktop's built-in capture shortcuts — nothing to grant. Take a screenshot and it "
            "opens here automatically. You can also paste (Ctrl+V) or open a file from the tray icon.") },
    { "Disable macOS floating thumbnail (for instant load)",
        QT_TRANSLATE_NOOP("PlatformTexts", "Disable the desktop's floating thumbnail (for instant load)") },

    // The computer, the menu bar and the vision framework.
    { "Local & private — captures never leave your Mac.",
        QT_TRANSLATE_NOOP("PlatformTexts", "Local & private — captures never leave your computer.") },
    { "Cut out the subject on-device with Apple Vision — nothing leaves your Mac",
        QT_TRANSLATE_NOOP("PlatformTexts", "Cut out the subject on-device — nothing leaves your computer") },
    { "On-device · powered by Apple Vision", QT_TRANSLATE_NOOP("PlatformTexts", "On-device · powered by local image analysis") },
    { "Runs quietly in the menu bar", QT_TRANSLATE_NOOP("PlatformTexts", "Runs quietly in the system tray") },

    // The privacy settings page does not exist here: the notice's button opens the folder instead.
    { "Go to System Settings › Privacy & Security › Files and Folders",
        QT_TRANSLATE_NOOP("PlatformTexts", "Check that the screenshot folder exists and that you may read it") },
    { "Open Settings", QT_TRANSLATE_NOOP("PlatformTexts", "Open Folder") },
    // What is watched here is the screenshot folder, not the Desktop.
    { "Desktop folder access needed", QT_TRANSLATE_NOOP("PlatformTexts", "Screenshot folder access needed") },
    { "Desktop folder access denied — stopping watcher. Grant access in System Settings › Privacy & Security › Files "
      "and Folders.",
        QT_TRANSLATE_NOOP("PlatformTexts",
            "Screenshot folder access denied — stopping watcher. Check the folder's permissions.") },
};

const Entry* find(const char* designText)
{
    if (!designText)
        return nullptr;
    for (const Entry& entry : kTable) {
        if (std::strcmp(entry.design, designText) == 0)
            return &entry;
    }
    return nullptr;
}
}

QString platformText(const char* designText)
{
    if (const Entry* entry = find(designText))
        return QCoreApplication::translate("PlatformTexts", entry->adapted);
    return QString::fromUtf8(designText);
}

bool hasPlatformText(const char* designText)
{
    return find(designText) != nullptr;
}
