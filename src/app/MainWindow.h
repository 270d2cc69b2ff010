#pragma once

#include "editor_window/EditorView.h"

#include <QMainWindow>

class AppState;
class EditorDocument;
class QStackedWidget;
class SettingsStore;

// The window "main": its root view shows the onboarding, the editor or the empty state, and it
// carries the application's menus. Closing it never quits the application.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AppState& app, SettingsStore& settings, QWidget* parent = nullptr);

    // What the root view shows now: "onboarding", "editor" or "emptyState".
    QString currentContent() const;
    bool showingOnboarding() const { return m_showOnboarding; }

    // Brings the window forward: shown, raised and activated, again on the next turn and after
    // 0.1 s for a window manager that maps it late.
    void bringForward();

Q_SIGNALS:
    void settingsRequested();

private:
    void updateContent();
    void finishOnboarding();
    void buildMenus();
    EditorView::Hooks editorHooks();
    // A View-menu zoom of the open document, animated by the editor's stage.
    void zoomThroughEditor(void (EditorDocument::*op)());

    AppState& m_app;
    SettingsStore& m_settings;
    QStackedWidget* m_stack;
    QWidget* m_content = nullptr;
    bool m_showOnboarding;
};

// Raises and activates the main window when it is shown.
void raiseMainWindow(QWidget* window);
