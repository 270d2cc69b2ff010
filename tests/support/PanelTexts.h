#pragma once

#include "vision/TextRecognizer.h"

#include <QString>

// The texts of the notch panel's card ("Copied!", "2 items blurred") as the screen of the test's
// X server shows them, read by `reader`; empty while no panel is shown.
QString panelTexts(TextRecognizer& reader);
