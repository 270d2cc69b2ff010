#pragma once

class ScreenshotSettings;

// Linux has no privacy settings page: where the design opens it, the file manager opens the
// folder that holds the screenshot folder, so the user can see what is missing or locked.
void openPrivacySettings(const ScreenshotSettings& settings);
