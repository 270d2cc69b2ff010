#pragma once

#include <QString>

class QWidget;

// One short message at a time: a symbol and the message in a dark capsule, floating near the
// bottom of the screen under the pointer for 1.6 s. The toast never takes focus and lets clicks
// through. A new message replaces the one shown, in the same panel, and restarts the 1.6 s.
// Main thread only.

// A confirmation, beside a check mark.
void showToast(const QString& message);

// Something that could not be done, beside the amber warning triangle; otherwise the same.
void showFailureToast(const QString& message);

// Fades the toast out and takes it off screen; a toast shown during the fade stays.
void hideToast();

// The one panel that shows toasts, created by the first showToast (null before).
QWidget* toastPanel();
