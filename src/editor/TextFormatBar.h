#pragma once

#include "editor/FormatBar.h"

class FontMenuButton;
class FormatTile;

// Format bar of a text annotation: alignment, colour and font. None of its changes records an
// undo step; the colour and font also become the defaults for new annotations.
class TextFormatBar final : public FormatBar {
    Q_OBJECT
public:
    TextFormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent = nullptr);

    FormatTile* alignmentTile(Annotation::Align alignment) const;
    FontMenuButton* fontMenu() const { return m_fontMenu; }

protected:
    void refresh() override;

private:
    QList<std::pair<Annotation::Align, FormatTile*>> m_alignmentTiles;
    FontMenuButton* m_fontMenu = nullptr;
};
