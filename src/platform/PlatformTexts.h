#pragma once

#include <QString>

// The design's texts were written for another desktop: some name its keyboard glyphs, its
// screenshot shortcuts, its settings, its vision framework or the computer itself. This one
// table gives each such text its Linux wording, so every view shows the same words.
//
// Pass the design's text exactly; the Linux wording comes back translated (context
// "PlatformTexts"). A text the table does not hold comes back unchanged (and untranslated: the
// caller translates its own texts), so wrapping a text
// that needs no adaptation is harmless.
//
// The desktop tool's own shortcuts follow the common GNOME/KDE bindings: Print for a selection
// or the tool's options, Alt+Print for a window, Shift+Print for the whole screen. Key-cap views
// split the combination at "+" and show one cap per key.
QString platformText(const char* designText);

// Whether the table holds an adaptation of this text.
bool hasPlatformText(const char* designText);
