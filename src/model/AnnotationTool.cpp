#include "model/AnnotationTool.h"

#include <QCoreApplication>

QString symbolName(AnnotationTool tool)
{
    switch (tool) {
    case AnnotationTool::select: return QStringLiteral("cursorarrow");
    case AnnotationTool::text: return QStringLiteral("textformat");
    case AnnotationTool::pen: return QStringLiteral("pencil.tip");
    case AnnotationTool::arrow: return QStringLiteral("arrow.up.right");
    case AnnotationTool::line: return QStringLiteral("line.diagonal");
    case AnnotationTool::box: return QStringLiteral("rectangle");
    case AnnotationTool::ellipse: return QStringLiteral("circle");
    case AnnotationTool::highlight: return QStringLiteral("viewfinder");
    case AnnotationTool::blur: return QStringLiteral("drop.fill");
    case AnnotationTool::crop: return QStringLiteral("crop");
    }
    return {};
}

QString label(AnnotationTool tool)
{
    switch (tool) {
    case AnnotationTool::select: return QCoreApplication::translate("AnnotationTool", "Select & move");
    case AnnotationTool::text: return QCoreApplication::translate("AnnotationTool", "Text");
    case AnnotationTool::pen: return QCoreApplication::translate("AnnotationTool", "Draw");
    case AnnotationTool::arrow: return QCoreApplication::translate("AnnotationTool", "Arrow");
    case AnnotationTool::line: return QCoreApplication::translate("AnnotationTool", "Line");
    case AnnotationTool::box: return QCoreApplication::translate("AnnotationTool", "Box");
    case AnnotationTool::ellipse: return QCoreApplication::translate("AnnotationTool", "Ellipse");
    case AnnotationTool::highlight: return QCoreApplication::translate("AnnotationTool", "Highlight");
    case AnnotationTool::blur: return QCoreApplication::translate("AnnotationTool", "Blur an area");
    case AnnotationTool::crop: return QCoreApplication::translate("AnnotationTool", "Crop");
    }
    return {};
}

std::optional<Annotation::Kind> annotationKind(AnnotationTool tool)
{
    switch (tool) {
    case AnnotationTool::text: return Annotation::Kind::text;
    case AnnotationTool::pen: return Annotation::Kind::pen;
    case AnnotationTool::arrow: return Annotation::Kind::arrow;
    case AnnotationTool::line: return Annotation::Kind::line;
    case AnnotationTool::box: return Annotation::Kind::box;
    case AnnotationTool::ellipse: return Annotation::Kind::ellipse;
    case AnnotationTool::highlight: return Annotation::Kind::highlight;
    case AnnotationTool::select:
    case AnnotationTool::blur:
    case AnnotationTool::crop:
        return std::nullopt;
    }
    return std::nullopt;
}
