#include "editor/HighlightFormatBar.h"

#include "editor/EditorDocument.h"
#include "editor/FormatTile.h"
#include "editor/LineWidthField.h"

#include <QHBoxLayout>

HighlightFormatBar::HighlightFormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent, QString* widthText)
    : FormatBar(document, annotationID, parent)
{
    addColorChip(true);
    addSeparator();
    m_coverage = new FormatTile(QStringLiteral("photo"), QString(), this);
    connect(m_coverage, &QAbstractButton::clicked, this,
        [this] { editWithUndo([](Annotation& a) { a.highlightFullCanvas = !a.highlightFullCanvas; }); });
    row()->addWidget(m_coverage, 0, Qt::AlignVCenter);
    addSeparator();
    m_width = new LineWidthField(document, annotationID, widthText, this);
    row()->addWidget(m_width, 0, Qt::AlignVCenter);
    refresh();
}

void HighlightFormatBar::refresh()
{
    FormatBar::refresh();
    const auto annotation = ref().value();
    if (!annotation)
        return;
    if (annotation->highlightFullCanvas)
        m_coverage->setFace(QStringLiteral("rectangle.fill"), tr("Cover screenshot only"), true);
    else
        m_coverage->setFace(QStringLiteral("photo"), tr("Cover full canvas"), false);
}
