#pragma once

#include <QIcon>

// The application's own mark (resources/lumaforge.svg): the window icon, the icon the tray
// falls back on, and what the desktop entry installs. Rendered once into the common icon sizes,
// so it does not depend on the desktop having Qt's SVG icon plugin.
QIcon applicationIcon();
