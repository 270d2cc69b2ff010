#include "editor/AnnotationRef.h"

#include "editor/EditorDocument.h"

AnnotationRef::AnnotationRef(EditorDocument* document, QUuid id)
    : m_document(document)
    , m_id(id)
{
}

std::optional<Annotation> AnnotationRef::value() const
{
    if (!m_document)
        return std::nullopt;
    for (const Annotation& a : m_document->annotations()) {
        if (a.id == m_id)
            return a;
    }
    return std::nullopt;
}

bool AnnotationRef::isSelected() const
{
    return m_document && m_document->selectedAnnotation() == m_id;
}

bool AnnotationRef::edit(const std::function<void(Annotation&)>& change) const
{
    if (!m_document)
        return false;
    QList<Annotation> annotations = m_document->annotations();
    for (Annotation& a : annotations) {
        if (a.id == m_id) {
            change(a);
            m_document->setAnnotations(annotations);
            return true;
        }
    }
    return false;
}

void AnnotationRef::setColor(int hex) const
{
    if (!value())
        return;
    if (isSelected())
        m_document->setAnnotationColor(hex);
    else
        edit([hex](Annotation& a) { a.colorHex = hex; });
}

void AnnotationRef::setFont(const std::optional<QString>& family) const
{
    if (!value())
        return;
    if (isSelected())
        m_document->setAnnotationFont(family);
    else
        edit([&family](Annotation& a) {
            if (a.kind == Annotation::Kind::text)
                a.fontName = family;
        });
}

void AnnotationRef::setLineWidth(double lineWidthFraction) const
{
    if (!value())
        return;
    if (isSelected())
        m_document->setSelectedLineWidth(lineWidthFraction);
    else
        edit([lineWidthFraction](Annotation& a) { a.lineWidthFraction = lineWidthFraction; });
}
