#pragma once

class QVBoxLayout;
class QWidget;

// The inspector's column. A slider's knob and shadow reach past its track (LumaSlider's
// overhang); so that every track lines up with the other controls, the column is wider than the
// controls by `bleed()` on each side, sections inset their controls by it, and sliders take
// the full width.
namespace InspectorLayout {

int bleed();
// The vertical stack of a section, inset by the bleed.
QVBoxLayout* sectionLayout(QWidget* section, int spacing);
// Adds a slider (or a box holding one) that spans the inset too.
void addFullWidth(QVBoxLayout* layout, QWidget* slider);

}
