#include "editor/StandardFormatBarFactory.h"

#include "editor/HighlightFormatBar.h"
#include "editor/ShapeFormatBar.h"
#include "editor/TextFormatBar.h"

QWidget* StandardFormatBarFactory::createTextBar(const FormatBarContext& context)
{
    return new TextFormatBar(context.document, context.annotationID);
}

QWidget* StandardFormatBarFactory::createHighlightBar(const FormatBarContext& context)
{
    return new HighlightFormatBar(context.document, context.annotationID, nullptr, context.widthText);
}

QWidget* StandardFormatBarFactory::createShapeBar(const FormatBarContext& context)
{
    return new ShapeFormatBar(context.document, context.annotationID, nullptr, context.widthText);
}
