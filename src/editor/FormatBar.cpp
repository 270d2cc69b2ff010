#include "editor/FormatBar.h"

#include "editor/ColorChipButton.h"
#include "editor/EditorDocument.h"
#include "editor/FormatTile.h"
#include "ui/Theme.h"

#include <QHBoxLayout>

FormatBar::FormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent)
    : QWidget(parent)
    , m_ref(document, annotationID)
    , m_row(new QHBoxLayout(this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(kSpacing);
    if (document) {
        connect(document, &EditorDocument::annotationsChanged, this, [this] { refresh(); });
        connect(document, &EditorDocument::historyChanged, this, [this] {
            if (!m_takingColorStep)
                m_colorStepTaken = false;
        });
    }
    Theme::followColorScheme(this);
}

void FormatBar::addColorChip(bool recordsUndo)
{
    const auto annotation = m_ref.value();
    m_chip = new ColorChipButton(annotation ? annotation->colorHex : 0, [this, recordsUndo](int hex) {
        if (recordsUndo && !m_colorStepTaken) {
            if (EditorDocument* document = m_ref.document()) {
                m_takingColorStep = true;
                document->pushUndo();
                m_takingColorStep = false;
            }
            m_colorStepTaken = true;
        }
        m_ref.setColor(hex);
    }, kChipSize, this);
    connect(m_chip, &ColorChipButton::opened, this, [this] { m_colorStepTaken = false; });
    m_row->addWidget(m_chip, 0, Qt::AlignVCenter);
}

void FormatBar::addSeparator()
{
    m_row->addWidget(new FormatSeparator(this), 0, Qt::AlignVCenter);
}

void FormatBar::editWithUndo(const std::function<void(Annotation&)>& change)
{
    if (EditorDocument* document = m_ref.document())
        document->pushUndo();
    m_ref.edit(change);
}

void FormatBar::refresh()
{
    if (const auto annotation = m_ref.value(); annotation && m_chip)
        m_chip->setHex(annotation->colorHex);
}
