#pragma once

#include "editor/FormatBar.h"

class FormatTile;
class LineWidthField;

// Format bar of a highlight: colour, whether it dims the screenshot or the whole canvas, and the
// outline width. Each change records one undo step.
class HighlightFormatBar final : public FormatBar {
    Q_OBJECT
public:
    HighlightFormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent = nullptr, QString* widthText = nullptr);

    FormatTile* coverageTile() const { return m_coverage; }
    LineWidthField* widthField() const { return m_width; }

protected:
    void refresh() override;

private:
    FormatTile* m_coverage = nullptr;
    LineWidthField* m_width = nullptr;
};
