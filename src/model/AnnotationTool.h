#pragma once

#include "model/Annotation.h"

#include <QString>

#include <optional>

// The editor's tools, in palette order.
enum class AnnotationTool { select, text, pen, arrow, line, box, ellipse, highlight, blur, crop };

template <>
struct EnumCases<AnnotationTool> {
    static constexpr std::array<std::pair<AnnotationTool, const char*>, 10> table { {
        { AnnotationTool::select, "select" },
        { AnnotationTool::text, "text" },
        { AnnotationTool::pen, "pen" },
        { AnnotationTool::arrow, "arrow" },
        { AnnotationTool::line, "line" },
        { AnnotationTool::box, "box" },
        { AnnotationTool::ellipse, "ellipse" },
        { AnnotationTool::highlight, "highlight" },
        { AnnotationTool::blur, "blur" },
        { AnnotationTool::crop, "crop" },
    } };
};

// The symbol name shown for the tool (see ui/Symbols for the glyph it maps to).
QString symbolName(AnnotationTool tool);
// The tool's display text.
QString label(AnnotationTool tool);
// The kind of mark the tool draws; none for select, blur and crop, which act on the canvas.
std::optional<Annotation::Kind> annotationKind(AnnotationTool tool);
