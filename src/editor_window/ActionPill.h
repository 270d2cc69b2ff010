#pragma once

#include "render/PngFiles.h"
#include "ui/GlassPanel.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QDialog>

#include <functional>
#include <optional>

class EditorDocument;
class QShortcut;
class QVariantAnimation;

// What export reaches outside the editor; each defaults to the real service.
struct ExportHooks {
    // The document rendered as PNG data; empty when rendering fails.
    std::function<QByteArray(const EditorDocument&)> render;
    // Asks where to save, without blocking; none when cancelled.
    std::function<void(QWidget* parent, const QString& suggestedName, std::function<void(std::optional<QString>)>)>
        askPath;
    // Writes the data (exportPNG): logs a failure and reports it with its reason.
    std::function<bool(QDialog::DialogCode, const QString&, const QByteArray&, const ExportCompletion&)> write;
    std::function<void(const QString&)> toast;        // "Exported"
    std::function<void(const QString&)> failureToast; // "Couldn't export the image: the disk is full"

    // The real render, save dialog and writer, with the given toasts.
    static ExportHooks standard(std::function<void(const QString&)> toast, std::function<void(const QString&)> failureToast);
};

// A button of the pill drawn as the design draws it: a title and an optional hint on a rounded
// fill.
class PillButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Look { copy, secondary, zoomSymbol, percentage };
    PillButton(Look look, const QString& title, const QString& hint, QWidget* parent = nullptr);

    Look look() const { return m_look; }
    QString hint() const { return m_hint; }
    // The percentage look: whether the zoom counts as 100 %.
    void setAtActualSize(bool at);
    bool atActualSize() const { return m_atActualSize; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
    QString m_hint;
    bool m_atActualSize = true;
    // The percentage's change between its two looks (1: the look at 100 %).
    QVariantAnimation* m_lookChange = nullptr;
};

// The floating capsule at the bottom of the editor: Copy and Export with their shortcuts, and
// zoom out, the zoom percentage (a click resets zoom and pan) and zoom in.
class ActionPill : public GlassPanel {
    Q_OBJECT
public:
    // `copy` copies the styled image (AppState::copyBeautifiedImage); `animateZoom` runs a zoom
    // change under the stage's spring.
    ActionPill(EditorDocument& document, std::function<void()> copy,
        std::function<void(const std::function<void()>&)> animateZoom, ExportHooks exportHooks, QWidget* parent = nullptr);

    // Renders once, then asks where to save; the file gets that render.
    void exportImage();
    // Whether an export is waiting for its dialog.
    bool exportPending() const { return m_exportPending; }

    PillButton* copyButton() const { return m_copy; }
    PillButton* exportButton() const { return m_export; }
    PillButton* zoomOutButton() const { return m_zoomOut; }
    PillButton* zoomInButton() const { return m_zoomIn; }
    PillButton* percentageButton() const { return m_percentage; }

    // "125%": the zoom in percent, truncated.
    static QString percentText(double zoom);
    static bool isActualSize(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void syncZoom();

    EditorDocument& m_doc;
    std::function<void()> m_copyAction;
    std::function<void(const std::function<void()>&)> m_animateZoom;
    ExportHooks m_hooks;
    PillButton* m_copy;
    PillButton* m_export;
    PillButton* m_zoomOut;
    PillButton* m_percentage;
    PillButton* m_zoomIn;
    bool m_exportPending = false;
};
