#pragma once

#include "editor/EditorDocument.h"
#include "editor_window/ActionPill.h"
#include "editor_window/CanvasStage.h"
#include "inspector/InspectorView.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <memory>

class EditorToolbar;
class Preferences;
class QLabel;
class ToolDock;

// The main window's content while a document is open: the toolbar across the top and, over a
// striped backdrop, the canvas stage, the tool dock at the left, the inspector at the top right
// and the action pill with its hint at the bottom. Owns the window's hidden Delete command.
class EditorView : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> copy;         // AppState::copyBeautifiedImage
        std::function<bool()> copyAndClose; // AppState::instantCopyBeautified
        std::function<void()> openSettings;
        std::function<void(const QString&)> toast;        // a confirmation
        std::function<void(const QString&)> failureToast; // something that could not be done
        // What the application shell puts behind the toolbar (the drag area that moves the window,
        // which also configures it); none leaves the strip plain.
        std::function<QWidget*(QWidget* toolbar, int toolbarHeight)> toolbarBackground;
        // Export's services; the standard ones (with the toasts) when not set.
        std::optional<ExportHooks> exportHooks;
        // What the inspector talks to; its preferences are the editor's own when not set.
        InspectorServices inspectorServices;
    };

    static constexpr int kMinimumWidth = 920;
    static constexpr int kMinimumHeight = 640;
    static constexpr int kInspectorWidth = 312;

    EditorView(std::shared_ptr<EditorDocument> document, Preferences& prefs, Hooks hooks, QWidget* parent = nullptr);
    ~EditorView() override;

    std::shared_ptr<EditorDocument> document() const { return m_document; }
    EditorToolbar* toolbar() const { return m_toolbar; }
    CanvasStage* stage() const { return m_stage; }
    ToolDock* toolDock() const { return m_dock; }
    InspectorView* inspector() const { return m_inspector; }
    ActionPill* actionPill() const { return m_pill; }
    QLabel* hint() const { return m_hint; }
    // The inspector's height limit for the current size.
    int inspectorMaxHeight() const;

    // The window's Delete command: the selected annotation goes, unless text is being edited or
    // typed. It never sees the key while the editing layer has the keyboard: the layer takes it.
    void deleteSelectedAnnotation();
    bool deleteEnabled() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class Body;
    void layoutBody();

    std::shared_ptr<EditorDocument> m_document;
    EditorToolbar* m_toolbar;
    Body* m_body;
    CanvasStage* m_stage;
    ToolDock* m_dock;
    InspectorView* m_inspector;
    ActionPill* m_pill;
    QLabel* m_hint;
};
