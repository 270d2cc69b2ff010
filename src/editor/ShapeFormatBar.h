#pragma once

#include "editor/FormatBar.h"

class FormatTile;
class LineWidthField;

// Format bar of a pen stroke, arrow, line, box or ellipse: colour, line width, dash and, for
// boxes and ellipses, fill. Each change records one undo step.
class ShapeFormatBar final : public FormatBar {
    Q_OBJECT
public:
    static constexpr double kFillOpacity = 0.25;

    ShapeFormatBar(EditorDocument* document, QUuid annotationID, QWidget* parent = nullptr, QString* widthText = nullptr);

    LineWidthField* widthField() const { return m_width; }
    FormatTile* dashTile() const { return m_dash; }
    // None for kinds that take no fill.
    FormatTile* fillTile() const { return m_fill; }

protected:
    void refresh() override;

private:
    LineWidthField* m_width = nullptr;
    FormatTile* m_dash = nullptr;
    FormatTile* m_fill = nullptr;
};
