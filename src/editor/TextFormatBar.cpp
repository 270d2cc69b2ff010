#include "editor/TextFormatBar.h"

#include "editor/FontMenuButton.h"
#include "editor/FormatTile.h"

#include <QHBoxLayout>

TextFormatBar::TextFormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent)
    : FormatBar(document, annotationID, parent)
{
    const std::pair<Annotation::Align, std::pair<const char*, QString>> alignments[] = {
        { Annotation::Align::leading, { "text.alignleft", tr("Align left") } },
        { Annotation::Align::center, { "text.aligncenter", tr("Align centre") } },
        { Annotation::Align::trailing, { "text.alignright", tr("Align right") } },
    };
    for (const auto& [alignment, face] : alignments) {
        auto* tile = new FormatTile(QString::fromLatin1(face.first), face.second, this);
        connect(tile, &QAbstractButton::clicked, this, [this, alignment] {
            ref().edit([alignment](Annotation& a) { a.alignment = alignment; });
        });
        m_alignmentTiles.append({ alignment, tile });
        row()->addWidget(tile, 0, Qt::AlignVCenter);
    }
    addSeparator();
    addColorChip(false);
    addSeparator();
    m_fontMenu = new FontMenuButton(this);
    connect(m_fontMenu, &FontMenuButton::fontChosen, this,
        [this](const std::optional<QString>& family) { ref().setFont(family); });
    row()->addWidget(m_fontMenu, 0, Qt::AlignVCenter);
    refresh();
}

FormatTile* TextFormatBar::alignmentTile(Annotation::Align alignment) const
{
    for (const auto& [a, tile] : m_alignmentTiles) {
        if (a == alignment)
            return tile;
    }
    return nullptr;
}

void TextFormatBar::refresh()
{
    FormatBar::refresh();
    const auto annotation = ref().value();
    if (!annotation)
        return;
    for (const auto& [alignment, tile] : std::as_const(m_alignmentTiles))
        tile->setOn(annotation->alignment == alignment);
    m_fontMenu->setFontName(annotation->fontName);
}
