#pragma once

#include <QString>
#include <functional>

// One line to stderr, prefixed "Lumaforge: ". Failures of operating-system operations go here and
// are otherwise swallowed. Control characters (line breaks among them) and the invisible marks
// that reorder text are written as escapes, so a file name carried in a message can never start
// a line of its own or disguise what follows it.
void logLine(const QString& message);

// The message as logLine writes it, without the prefix.
QString escapedForLog(const QString& message);

// Tests route log lines to a sink of their own; pass an empty function to restore stderr.
void setLogSink(std::function<void(const QString&)> sink);
