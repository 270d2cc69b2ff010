#pragma once

#include "editor/AnnotationRef.h"

#include <QWidget>

class ColorChipButton;
class QHBoxLayout;

// Common ground of the floating format bars: a row of controls for one annotation of a
// document, found by id whenever a control acts or the document changes. The bar draws no
// background; the editing layer frames it.
class FormatBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 5;
    static constexpr qreal kChipSize = 18;

    EditorDocument* document() const { return m_ref.document(); }
    QUuid annotationID() const { return m_ref.id(); }
    ColorChipButton* colorChip() const { return m_chip; }

protected:
    FormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent);

    const AnnotationRef& ref() const { return m_ref; }
    QHBoxLayout* row() const { return m_row; }

    // The colour chip. With `recordsUndo`, the first colour chosen in each opening of the
    // chooser records one undo step, and the further ones (a drag through the colour wheel)
    // change the colour without more; a step taken by anything else in between starts afresh.
    void addColorChip(bool recordsUndo);
    void addSeparator();
    // Records one undo step, then changes the annotation (when it is still there).
    void editWithUndo(const std::function<void(Annotation&)>& change);

    // Shows the annotation's current format; runs on every change of the document's annotations.
    virtual void refresh();

private:
    AnnotationRef m_ref;
    QHBoxLayout* m_row;
    ColorChipButton* m_chip = nullptr;
    bool m_colorStepTaken = false;
    bool m_takingColorStep = false;
};
