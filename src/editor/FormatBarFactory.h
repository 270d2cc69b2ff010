#pragma once

#include <QString>
#include <QUuid>

class EditorDocument;
class QWidget;

// What a format bar works on. The annotation is looked up by id in the document on every
// action, so a bar whose annotation has gone simply does nothing.
struct FormatBarContext {
    EditorDocument* document = nullptr;
    QUuid annotationID;
    // The editing layer's line-width text: outlives the bar. The layer sets it to the
    // annotation's whole width when the bar is created; the bar reads and writes it.
    QString* widthText = nullptr;
};

// Builds the contents of the three floating format bars. The editing layer owns the container
// (material, border, shadow, placement and the in/out animation) and reparents the returned
// widget into it; the widget's sizeHint() decides the bar's width. A bar is created when an
// annotation of its kind becomes selected and deleted when the selection moves away, so it
// must keep itself current by watching the document's signals.
class FormatBarFactory {
public:
    virtual ~FormatBarFactory() = default;

    // Selected text annotation: alignment tiles, colour chip, font menu.
    virtual QWidget* createTextBar(const FormatBarContext& context) = 0;
    // Selected highlight: colour chip, coverage tile, line width field.
    virtual QWidget* createHighlightBar(const FormatBarContext& context) = 0;
    // Selected pen stroke, arrow, line, box or ellipse: colour chip, line width, dash, fill.
    virtual QWidget* createShapeBar(const FormatBarContext& context) = 0;
};
