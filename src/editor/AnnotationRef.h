#pragma once

#include "model/Annotation.h"

#include <QPointer>
#include <QUuid>

#include <functional>
#include <optional>

#include "editor/EditorDocument.h"

// One annotation of a document named by its id, looked up afresh on every use: a control that
// outlives its annotation (deleted, or gone with an undo) finds nothing and changes nothing.
class AnnotationRef {
public:
    AnnotationRef(EditorDocument* document, QUuid id);

    EditorDocument* document() const { return m_document; }
    QUuid id() const { return m_id; }

    // The first annotation with the id; none when there is none (or no document).
    std::optional<Annotation> value() const;
    bool isSelected() const;

    // Changes the annotation in place; false when it is gone.
    bool edit(const std::function<void(Annotation&)>& change) const;

    // What the format bars change through the document's own operations while the annotation is
    // the selected one (so the defaults for new annotations follow), else on the annotation alone.
    void setColor(int hex) const;
    void setFont(const std::optional<QString>& family) const;
    void setLineWidth(double lineWidthFraction) const;

private:
    // Runs `viaDocument` while the annotation is the selected one, else `change` on it alone.
    void change(const std::function<void()>& viaDocument, const std::function<void(Annotation&)>& change) const;

    QPointer<EditorDocument> m_document;
    QUuid m_id;
};
