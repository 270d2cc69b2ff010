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

void AnnotationRef::change(const std::function<void()>& viaDocument, const std::function<void(Annotation&)>& change) const
{
    if (!value())
        return;
    if (isSelected())
        viaDocument();
    else
        edit(change);
}

void AnnotationRef::setColor(int hex) const
{
    change([&] { m_document->setAnnotationColor(hex); }, [hex](Annotation& a) { a.colorHex = hex; });
}

void AnnotationRef::setFont(const std::optional<QString>& family) const
{
    change([&] { m_document->setAnnotationFont(family); },
        [&family](Annotation& a) {
            if (a.kind == Annotation::Kind::text)
                a.fontName = family;
        });
}

void AnnotationRef::setLineWidth(double lineWidthFraction) const
{
    change([&] { m_document->setSelectedLineWidth(lineWidthFraction); },
        [lineWidthFraction](Annotation& a) { a.lineWidthFraction = lineWidthFraction; });
}
