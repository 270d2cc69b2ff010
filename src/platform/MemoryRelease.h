#pragma once

// The application sits in the tray all day: memory freed after a shot should go back to the
// system, not stay with the allocator.
namespace MemoryRelease {

// Call once at start-up, before threads exist. Large blocks (decoded shots, renders) are always
// mapped on their own so freeing one returns it at once; glibc would otherwise raise its mapping
// threshold after the first free and keep every later image in its heaps.
void configureAllocator();

// Hands the allocator's free pages back to the system. Costs a few milliseconds: call when work
// has finished, not on a hot path.
void releaseFreedMemory();

}
