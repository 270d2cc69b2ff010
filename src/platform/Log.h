#pragma once

#include <QString>
#include <functional>

// One line to stderr, prefixed "Lumaforge: ". Failures of operating-system operations go here and
// are otherwise swallowed.
void logLine(const QString& message);

// Tests route log lines to a sink of their own; pass an empty function to restore stderr.
void setLogSink(std::function<void(const QString&)> sink);
