// Anchors the fakes' moc output in the test kit.
#include "fakes/FakeColorSchemeProvider.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
