#include "editor/ShapeFormatBar.h"

#include "editor/EditorDocument.h"
#include "editor/FormatTile.h"
#include "editor/LineWidthField.h"

#include <QHBoxLayout>

ShapeFormatBar::ShapeFormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent, QString* widthText)
    : FormatBar(document, annotationID, parent)
{
    addColorChip(true);
    addSeparator();
    m_width = new LineWidthField(document, annotationID, widthText, this);
    row()->addWidget(m_width, 0, Qt::AlignVCenter);
    addSeparator();

    m_dash = new FormatTile(QStringLiteral("line.diagonal"), QString(), this);
    connect(m_dash, &QAbstractButton::clicked, this, [this] { editWithUndo([](Annotation& a) { a.dashed = !a.dashed; }); });
    row()->addWidget(m_dash, 0, Qt::AlignVCenter);

    if (const auto annotation = ref().value(); annotation && annotation->isFillable()) {
        m_fill = new FormatTile(QStringLiteral("square"), QString(), this);
        connect(m_fill, &QAbstractButton::clicked, this,
            [this] { editWithUndo([](Annotation& a) { a.fillOpacity = a.fillOpacity > 0 ? 0.0 : kFillOpacity; }); });
        row()->addWidget(m_fill, 0, Qt::AlignVCenter);
    }
    refresh();
}

void ShapeFormatBar::refresh()
{
    FormatBar::refresh();
    const auto annotation = ref().value();
    if (!annotation)
        return;
    m_dash->setFace(QStringLiteral("line.diagonal"), annotation->dashed ? tr("Solid line") : tr("Dashed line"),
        annotation->dashed);
    if (m_fill) {
        const bool filled = annotation->fillOpacity > 0;
        m_fill->setFace(filled ? QStringLiteral("square.fill") : QStringLiteral("square"),
            filled ? tr("Remove fill") : tr("Fill shape"), filled);
    }
}
