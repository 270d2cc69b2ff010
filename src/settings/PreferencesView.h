#pragma once

#include "platform/KeystrokeScreenshotTool.h"

#include <QList>
#include <QWidget>

class CaptureShortcutStore;
class GlobalHotkeys;
class Preferences;
class QAbstractButton;
class QStackedWidget;
class SettingsStore;

// The settings window: a fixed 560 x 420 window of four tabs (General, Shortcuts, Sharing,
// Account), chosen from a strip of symbol buttons at the top. Every control writes straight
// through; there is no Apply step.
class PreferencesView final : public QWidget {
    Q_OBJECT
public:
    struct Services {
        Preferences& prefs;
        SettingsStore& settings;
        CaptureShortcutStore& shortcuts;
        GlobalHotkeys* hotkeys; // may be null
        DesktopScreenshotKeys desktopKeys;
        QString hotkeysUnavailable; // empty while hot keys can work
    };
    explicit PreferencesView(Services services, QWidget* parent = nullptr);

    enum Tab { general, shortcuts, sharing, account };
    QList<QAbstractButton*> tabButtons() const { return m_tabButtons; }
    int currentTab() const;
    void setCurrentTab(int tab);
    QWidget* tab(int tab) const;

    static constexpr int fixedWidth = 560;
    static constexpr int fixedHeight = 420;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QAbstractButton*> m_tabButtons;
    QList<QWidget*> m_tabs;
    QStackedWidget* m_stack;
};
