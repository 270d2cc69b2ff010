#pragma once

#include <QRect>
#include <QString>

// The text the screen shows in `area` (one line, such as a toast), as the tesseract command-line
// tool reads it from a grab of the test's X server: enlarged and made dark on light first, since
// it reads small light-on-dark interface text poorly. Lower case, runs of spaces made one; empty
// when the tool cannot be run.
QString textOnScreen(const QRect& area);

// Whether `read` (text read off the screen) holds `expected`, ignoring case and allowing one
// wrong, missing or extra character in every ten: a grab of interface text is read with the odd
// slip ("prooram"). For words only; a number that must be exact is compared exactly.
bool readsAs(const QString& read, const QString& expected);
