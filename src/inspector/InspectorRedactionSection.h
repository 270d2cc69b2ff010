#pragma once

#include "model/RedactionKind.h"

#include <QList>
#include <QWidget>

class Inspector;
class InspectorCheckbox;
class InspectorChip;
class InspectorLabel;
class LumaSlider;

// "Hide sensitive info": one row per kind the scan found (with its count), the redaction style
// buttons and intensity while anything is hidden, and the note about hand-drawn areas.
class InspectorRedactionSection : public QWidget {
    Q_OBJECT
public:
    InspectorRedactionSection(Inspector& inspector, QWidget* parent = nullptr);

    // Listed rows, in case order.
    QList<RedactionKind> listedKinds() const { return m_rowKinds; }
    InspectorCheckbox* row(RedactionKind kind) const;
    QWidget* styleControls() const { return m_styleControls; }
    // In style order: Blur, Pixelate, Block.
    const QList<InspectorChip*>& styleButtons() const { return m_styleButtons; }
    LumaSlider* intensitySlider() const { return m_intensity; }
    InspectorLabel* note() const { return m_note; }
    // "Text check failed" under the title, shown while the document's scan failed.
    InspectorLabel* failureNote() const { return m_failure; }

    void refresh();

private:
    void rebuildRows(const QList<RedactionKind>& kinds);

    Inspector& m_inspector;
    QWidget* m_rowsBox;
    QList<RedactionKind> m_rowKinds;
    QList<InspectorCheckbox*> m_rows;
    QWidget* m_styleControls;
    QList<InspectorChip*> m_styleButtons;
    LumaSlider* m_intensity;
    InspectorLabel* m_note;
    InspectorLabel* m_failure;
};
