#include "inspector/InspectorPalette.h"

#include "ui/Theme.h"

namespace InspectorPalette {

QColor hairline(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? Theme::rgb(255, 255, 255, 0.10) : Theme::rgb(0x08, 0x14, 0x37, 0.10);
}

QColor sectionTitle(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? Theme::rgb(0xAE, 0xB4, 0xC2) : Theme::rgb(0x5B, 0x61, 0x70);
}

QColor controlFill(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? Theme::rgb(255, 255, 255, 0.10) : Theme::rgb(255, 255, 255, 0.90);
}

QColor controlBorder(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? Theme::rgb(255, 255, 255, 0.12) : Theme::rgb(0, 0, 0, 0.06);
}

QColor fieldFill(ColorScheme scheme)
{
    return controlFill(scheme);
}

QColor fieldBorder(ColorScheme scheme)
{
    return controlBorder(scheme);
}

}
