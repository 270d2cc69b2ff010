#pragma once

#include <functional>

class QThreadPool;

// Runs `body(i)` for every i in [0, count) on several cores and returns when all are done.
// The calling thread takes items itself and waits only for items a helper thread has already
// begun, never for work still queued: so it is safe from any thread, inside a pool task and
// on a machine with one CPU, where waiting for queued work of the same pool would freeze.
// The first exception thrown by an item stops further items from starting and is rethrown here
// once every item already running has finished.
// Helpers come from `pool` when given (at most its thread count), else from a pool of their own.
void parallelFor(int count, const std::function<void(int)>& body, QThreadPool* pool = nullptr);
