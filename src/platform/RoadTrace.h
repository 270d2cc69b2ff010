#pragma once

// Timestamps of a shot's way from file to clipboard, for measuring the main road. Off unless the
// environment sets LUMAFORGE_TRACE_ROAD; then each stage logs "road <stage> <microseconds since
// the epoch>". Safe from any thread.
void traceRoad(const char* stage);
