#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <cstdint>

class QWidget;

// Reads what the X server holds for a window, and drives the real pointer through XTest (xdotool),
// for tests that run under the private Xvfb.
namespace X11Probe {

// The 32-bit items of a window property (empty when absent).
QList<uint32_t> property32(QWidget* window, const char* property);
uint32_t atom(const char* name);

// Runs xdotool with these arguments; true when it succeeded.
bool xdotool(const QStringList& arguments);

}
