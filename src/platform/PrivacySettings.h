#pragma once

#include <QString>

#include <functional>

class QObject;
class ScreenshotSettings;

// Linux has no privacy settings page: where the design opens it, the file manager opens the
// folder that holds the screenshot folder, so the user can see what is missing or locked. When no
// file manager shows it, `failed` gets a sentence for the user, while `context` lives.
void openPrivacySettings(const ScreenshotSettings& settings, QObject* context = nullptr,
    std::function<void(const QString& message)> failed = {});
