#pragma once

#include <QWidget>

class Preferences;
class SettingsStore;

// The settings window's content. (The full tabs arrive later; this view edits the general
// options with the same effects.)
class PreferencesView : public QWidget {
    Q_OBJECT
public:
    PreferencesView(Preferences& prefs, SettingsStore& settings, QWidget* parent = nullptr);
};
