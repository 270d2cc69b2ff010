#include "settings/PreferencesView.h"

#include "model/Preferences.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

PreferencesView::PreferencesView(Preferences& prefs, SettingsStore& settings, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("preferences"));
    auto* layout = new QVBoxLayout(this);
    const auto toggle = [&](const QString& text, bool on, auto apply) {
        auto* box = new QCheckBox(text, this);
        box->setChecked(on);
        connect(box, &QCheckBox::toggled, this, apply);
        layout->addWidget(box);
        return box;
    };
    toggle(tr("Copy to clipboard after capture"), prefs.copyAfterCapture(), [&prefs](bool on) { prefs.setCopyAfterCapture(on); });
    toggle(tr("Open the editor after capture"), prefs.autoOpenEditor(), [&prefs](bool on) { prefs.setAutoOpenEditor(on); });
    toggle(tr("Launch at login"), prefs.launchAtLogin(), [&prefs](bool on) {
        prefs.setLaunchAtLogin(on);
        prefs.syncLaunchAtLogin();
    });
    toggle(tr("Show the watermark by default"), prefs.showWatermarkByDefault(),
        [&prefs](bool on) { prefs.setShowWatermarkByDefault(on); });
    toggle(tr("Instant screenshots"), prefs.instantScreenshots(), [&prefs](bool on) {
        prefs.setInstantScreenshots(on);
        prefs.scheduleInstantScreenshotsSync();
    });
    auto* again = new QPushButton(tr("Show onboarding again"), this);
    again->setObjectName(QStringLiteral("showOnboardingAgain"));
    connect(again, &QPushButton::clicked, this,
        [&settings] { settings.setValue(QStringLiteral("hasCompletedOnboarding"), false); });
    layout->addWidget(again);
    layout->addStretch();
}
