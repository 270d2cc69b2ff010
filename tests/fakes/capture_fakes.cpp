// Anchors the capture fakes' moc output in the test kit.
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeystrokePoster.h"
#include "fakes/FakePasteboard.h"
