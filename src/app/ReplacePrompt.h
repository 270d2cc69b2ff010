#pragma once

// Questions asked before edits that were neither copied nor exported are lost. Each is modal
// and answers false for Cancel (also Escape); what it stands for is the default (Return).

// Whether to replace the open screenshot. Modal over the main window only: the notch panel and
// the tray stay usable meanwhile, and what they open waits for the answer.
bool askToReplaceEditedShot();
// Whether to quit.
bool askToQuitWithEdits();
