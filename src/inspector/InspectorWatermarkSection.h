#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class Inspector;
class InspectorCheckbox;
class InspectorChip;
class InspectorField;

// "Watermark": the switch of the open shot's watermark and, while it is on, the user's brand
// (shared by every shot): name, logo, corner and a caption.
class InspectorWatermarkSection : public QWidget {
    Q_OBJECT
public:
    // Asks for an image file without blocking the window; calls `chosen` with its path once a
    // file is chosen, and never when the person cancels.
    using LogoPicker = std::function<void(QWidget* parent, std::function<void(const QString& path)> chosen)>;
    // Says why a chosen file cannot be the logo: a failure.
    using Toast = std::function<void(const QString& message)>;

    InspectorWatermarkSection(Inspector& inspector, LogoPicker pickLogo, Toast toast, QWidget* parent = nullptr);

    // The desktop's file dialog, window-modal and non-blocking.
    static LogoPicker systemLogoPicker();

    InspectorCheckbox* watermarkToggle() const { return m_toggle; }
    QWidget* brandControls() const { return m_brand; }
    InspectorField* brandField() const { return m_name; }
    QWidget* logoPreview() const { return m_preview; }
    InspectorChip* uploadButton() const { return m_upload; }
    InspectorChip* removeButton() const { return m_remove; }
    // In corner order: top left, top right, bottom left, bottom right.
    const QList<InspectorChip*>& cornerButtons() const { return m_corners; }

    // Opens the picker; the chosen file is read off the main thread.
    void chooseWatermarkLogo();
    // Reads the file in the background; an image becomes the logo, anything else changes
    // nothing and a toast says why. `done` (tests) runs after either.
    void loadChosenLogo(const QString& path, std::function<void()> done = {});

    void refresh();

private:
    Inspector& m_inspector;
    LogoPicker m_pickLogo;
    Toast m_toast;
    InspectorCheckbox* m_toggle;
    QWidget* m_brand;
    InspectorField* m_name;
    QWidget* m_preview;
    InspectorChip* m_upload;
    InspectorChip* m_remove;
    QList<InspectorChip*> m_corners;
};
