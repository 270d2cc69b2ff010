#pragma once

#include "inspector/Inspector.h"
#include "inspector/InspectorWatermarkSection.h"
#include "inspector/SavePresetDialog.h"

#include <QMenu>
#include <QPointer>

#include <functional>
#include <memory>

class EditorDocument;

class InspectorAspectSection;
class InspectorBackgroundSection;
class InspectorChip;
class InspectorFrameSection;
class InspectorImageSection;
class InspectorPresetsButton;
class InspectorRedactionSection;
class InspectorStyleSection;
class InspectorVeil;
class QVariantAnimation;
class LumaSegmented;

class QScrollArea;


// What the inspector talks to besides its document. Empty members take the shared instances:
// the shared preset store and preferences, the desktop's file dialog, the application's failure toast.
struct InspectorServices {
    PresetStore* presets = nullptr;
    Preferences* preferences = nullptr;
    InspectorWatermarkSection::LogoPicker pickLogo;
    InspectorWatermarkSection::Toast showFailureToast;
};

// The editor's style panel, 312 pt wide on a glass panel: the presets menu and the plus button,
// the Style / Background tabs, and the scrolling sections of the active tab. Everything it shows
// is read from the document, the presets and the preferences; it keeps only its tab and the
// save dialog's text.
//
// The glass (the GlassPanel's material, border and shadows, radius 22) is drawn by a widget kept
// right behind the inspector as a sibling, reaching past it by the shadow's margin, rather than
// by a GlassPanel around the content: the panel's shadow is a graphics effect, and every repaint
// inside an effect repaints the whole effect, which a slider drag would pay on every step. The
// content itself is drawn from a kept pixmap (GlassPanel::cacheContent) until a control changes.
// Without a parent the glass sits inside the inspector, under the content.
class InspectorView : public QWidget {
    Q_OBJECT
public:
    enum class Tab { style, background };
    static constexpr int panelWidth = 312;

    InspectorView(EditorDocument* document, QWidget* parent = nullptr, InspectorServices services = {});
    ~InspectorView() override;

    Inspector& inspector() { return *m_inspector; }

    // The most height the panel may take (the editor passes its content height less 32).
    void setMaxHeight(int height);
    int maxHeight() const { return m_maxHeight; }

    Tab activeTab() const { return m_activeTab; }
    void setActiveTab(Tab tab);

    // The save dialog: shown with the text last typed (saving or cancelling clears it).
    void showSavePreset();
    void savePreset();
    void cancelSavePreset();
    QString newPresetName() const { return m_newPresetName; }
    void setNewPresetName(const QString& name) { m_newPresetName = name; }
    SavePresetDialog* savePresetDialog() const { return m_saveDialog; }

    // The presets menu as it would open now (the caller owns it).
    QMenu* buildPresetsMenu(QWidget* parent);
    // Opens the menu under its label without blocking.
    void showPresetsMenu();
    QMenu* openPresetsMenu() const { return m_openMenu; }

    InspectorPresetsButton* presetsButton() const { return m_presetsButton; }
    InspectorChip* plusButton() const { return m_plus; }
    LumaSegmented* tabSwitcher() const { return m_tabs; }
    QScrollArea* scrollArea() const { return m_scroll; }
    QWidget* styleTab() const { return m_stylePage; }
    QWidget* backgroundTab() const { return m_backgroundPage; }
    InspectorStyleSection* styleSection() const { return m_style; }
    InspectorImageSection* imageSection() const { return m_image; }
    InspectorFrameSection* frameSection() const { return m_frame; }
    InspectorAspectSection* aspectSection() const { return m_aspect; }
    InspectorRedactionSection* redactionSection() const { return m_redaction; }
    InspectorWatermarkSection* watermarkSection() const { return m_watermark; }
    InspectorBackgroundSection* backgroundSection() const { return m_background; }

    QSize sizeHint() const override;
    QWidget* glass() const { return m_glass; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void placeGlass();
    void refreshTitle();
    void refreshRedactionVisibility();
    void toolDidChange();
    void selectionDidChange();
    void fadeIn();

    QPointer<EditorDocument> m_document;
    QPointer<QWidget> m_glass;
    std::unique_ptr<Inspector> m_inspector;
    int m_maxHeight = QWIDGETSIZE_MAX;
    Tab m_activeTab = Tab::style;
    QString m_newPresetName;
    bool m_hadSelection = false;

    QWidget* m_header;
    InspectorPresetsButton* m_presetsButton;
    InspectorChip* m_plus;
    LumaSegmented* m_tabs;
    QScrollArea* m_scroll;
    QWidget* m_content;
    QWidget* m_stylePage;
    QWidget* m_backgroundPage;
    InspectorStyleSection* m_style;
    InspectorImageSection* m_image;
    InspectorFrameSection* m_frame;
    InspectorAspectSection* m_aspect;
    InspectorRedactionSection* m_redaction;
    QWidget* m_redactionHairline;
    InspectorWatermarkSection* m_watermark;
    InspectorBackgroundSection* m_background;
    InspectorVeil* m_veil;
    QVariantAnimation* m_fade;
    QPointer<SavePresetDialog> m_saveDialog;
    QPointer<QMenu> m_openMenu;
};
