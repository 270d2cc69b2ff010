#pragma once

#include <QString>

class QWidget;

// One short message at a time: a symbol and the message in a dark capsule, floating near the
// bottom of the screen under the pointer. The toast never takes focus and lets clicks through. A
// new message replaces the one shown, in the same panel, and restarts its time.
// Main thread only.

// A confirmation, beside a check mark, for 1.6 s.
void showToast(const QString& message);

// Something that could not be done, beside the amber warning triangle, for as long as it takes to
// read (failureToastMs). While the pointer rests on it, it stays (coming back if it was fading);
// once the pointer leaves, it stays for what was left of that time, and at least 1.6 s more.
void showFailureToast(const QString& message);

// How long a failure stays: 1.5 s to notice it, then its length read at 15 characters a second
// (about 150 words a minute); never shorter than a confirmation, never longer than 15 s.
int failureToastMs(const QString& message);

// Fades the toast out and takes it off screen; a toast shown during the fade stays, and so does a
// failure the pointer comes to rest on.
void hideToast();

// Toasts stand clear of the widget (a control that must stay usable while one is up, such as the
// editor's Copy / Export pill): a toast that would cover it rises to just above it. Kept until
// the widget is destroyed; a hidden widget is not in the way.
void keepToastsClearOf(QWidget* widget);

// The one panel that shows toasts, created by the first showToast (null before).
QWidget* toastPanel();
