#pragma once

#include <QWidget>

class Preferences;
class QAbstractButton;
class QLabel;
class SettingsStore;

// The settings window's General tab: the workflow options, launching at login and showing the
// onboarding again. Each switch writes through Preferences and runs its side effect once per
// change a person makes; a change arriving from the model only moves the switch.
class GeneralTab final : public QWidget {
    Q_OBJECT
public:
    GeneralTab(Preferences& prefs, SettingsStore& settings, QWidget* parent = nullptr);

    QAbstractButton* autoOpenEditorSwitch() const { return m_autoOpen; }
    QAbstractButton* copyAfterCaptureSwitch() const { return m_copy; }
    QAbstractButton* instantScreenshotsSwitch() const { return m_instant; }
    QAbstractButton* launchAtLoginSwitch() const { return m_login; }
    QAbstractButton* showOnboardingAgainButton() const { return m_onboarding; }
    // Why the login item could not be changed; hidden while there is nothing to say.
    QLabel* loginNotice() const { return m_loginNotice; }

private:
    void setLaunchAtLogin(bool on);

    Preferences& m_prefs;
    QAbstractButton* m_autoOpen;
    QAbstractButton* m_copy;
    QAbstractButton* m_instant;
    QAbstractButton* m_login;
    QAbstractButton* m_onboarding;
    QLabel* m_loginNotice;
};
