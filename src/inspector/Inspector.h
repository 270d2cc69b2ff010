#pragma once

#include "model/BackgroundPreset.h"
#include "model/BeautifySettings.h"
#include "model/RedactionKind.h"
#include "model/StylePreset.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class EditorDocument;
class PresetStore;
class Preferences;

// What the inspector's controls do to the open document, its presets and the user's brand,
// kept apart from the widgets so every control follows the same undo rule:
//  - a button or tap records one undo step, then writes, even when the value does not change;
//  - a slider records one step when its drag begins and then writes on every change;
//  - a compound action (Reset) records one step and then writes field by field;
//  - the sensitive-kind switches, the watermark switch, the intensity while dragging and typing
//    in the address field record nothing.
// Every write copies the document's settings, changes one field and writes the copy back, so
// the document's own reaction to a settings change runs once per write. Main thread only.
class Inspector {
public:
    Inspector(EditorDocument* document, PresetStore& presets, Preferences& preferences);

    EditorDocument* document() const { return m_document; }
    PresetStore& presets() const { return m_presets; }
    Preferences& preferences() const { return m_preferences; }

    // ---- presets -----------------------------------------------------------------------
    // The applied or saved preset's name while a preset of that exact name exists; else the
    // first preset whose style equals the document's; else "Presets".
    QString presetsMenuTitle() const;
    // One undo step, the whole style, then the preset's name.
    void applyPreset(const StylePreset& preset);
    // Stores the style under the name with blanks and tabs trimmed (line breaks stay); a name
    // that is empty after trimming stores nothing. Records no undo step. True when stored.
    bool savePreset(const QString& name);
    // Leading and trailing spaces and tabs removed, nothing else.
    static QString trimBlanks(const QString& text);

    // ---- style and image ---------------------------------------------------------------
    void beginSliderDrag();
    void setPadding(double value);
    void setRadius(double value);
    void setShadow(double value);
    void resetStyle();
    void setRemoveBackground(bool on);
    void toggleFlipH();
    void toggleFlipV();
    void resetCrop();
    static bool isCropped(const BeautifySettings& settings);

    // Read-outs of the sliders.
    static QString paddingText(double value);   // truncated, with "%": 17.9 -> "17%"
    static QString radiusText(double value);    // rounded half away from zero: 16.5 -> "17"
    static QString hundredthsText(double value); // value x 100 truncated: 0.289 -> "28"

    // ---- background ----------------------------------------------------------------------
    void selectBackground(BackgroundPreset preset);
    // The raw value with its first letter upper case and the rest lower case.
    static QString backgroundCaption(BackgroundPreset preset);

    // ---- window frame and aspect ----------------------------------------------------------
    void setWindowFrame(WindowFrameStyle frame);
    void setShowURL(bool on);
    void setURLText(const QString& text);
    void setAspect(AspectRatioOption aspect);
    void setBalance(bool on);

    // ---- sensitive info --------------------------------------------------------------------
    // Kinds with a count above 0, in case order.
    QList<RedactionKind> listedKinds() const;
    bool showsRedactionSection() const;
    bool showsRedactionStyleControls() const;
    void toggleRedactionKind(RedactionKind kind);
    void selectRedactStyle(RedactStyle style);
    void setRedactIntensity(double value);
    static QString redactionKindLabel(RedactionKind kind);
    static QString redactStyleCaption(RedactStyle style);
    static QString manualRedactionNote(qsizetype drawn);

    // ---- watermark ---------------------------------------------------------------------
    void setWatermark(bool on);

private:
    // Copy, change, write back.
    void write(const std::function<void(BeautifySettings&)>& change);
    // One undo step, then the write.
    void press(const std::function<void(BeautifySettings&)>& change);

    QPointer<EditorDocument> m_document;
    PresetStore& m_presets;
    Preferences& m_preferences;
};
