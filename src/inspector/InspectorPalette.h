#pragma once

#include "platform/ColorScheme.h"

#include <QColor>

// The colours the inspector's sections share, per colour scheme.
namespace InspectorPalette {

QColor hairline(ColorScheme scheme);
QColor sectionTitle(ColorScheme scheme);
// Fill and 0.5-pt border of buttons, chips and menus.
QColor controlFill(ColorScheme scheme);
QColor controlBorder(ColorScheme scheme);
// Fill and 1-pt border of text fields and the logo preview.
QColor fieldFill(ColorScheme scheme);
QColor fieldBorder(ColorScheme scheme);

}
