#pragma once

// Marks the process not dumpable: no core file and no crash reporter gets its memory, which holds
// raw shots and the text read from them, and other programs of the same user cannot attach to
// it. A debugger that starts the program still can. False when the system refused; a no-op
// (true) under AddressSanitizer, whose leak check must attach to the process at exit.
bool markNotDumpable();
