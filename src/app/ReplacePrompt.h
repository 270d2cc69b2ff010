#pragma once

// Asks, modally over the main window, whether to replace an open screenshot whose edits were
// neither copied nor exported. True for Replace (also Return), false for Cancel (also Escape).
bool askToReplaceEditedShot();
