#include "settings/GeneralTab.h"

#include "model/Preferences.h"
#include "platform/PlatformTexts.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsSection.h"
#include "settings/KeyCapView.h"
#include "settings/SwitchToggle.h"
#include "ui/Theme.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A bordered push button drawn in the scheme it is shown in.
class FormButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        p.fillPath(shape, keyCapFill(this));
        p.setPen(QPen(QColor(0, 0, 0, int((isDown() ? 0.3 : 0.15) * 255)), 0.5));
        p.drawPath(shape);
        p.setFont(font());
        p.setPen(Theme::primaryText(Theme::colorScheme(this)));
        p.drawText(rect(), Qt::AlignCenter, text());
    }
};

// A switch that follows a Preferences property and writes a person's change through `apply`.
SwitchToggle* boundSwitch(Preferences& prefs, bool (Preferences::*read)() const, void (Preferences::*changed)(),
    std::function<void(bool)> apply, QWidget* context)
{
    auto* toggle = new SwitchToggle;
    toggle->setChecked((prefs.*read)());
    QObject::connect(toggle, &QAbstractButton::clicked, context, std::move(apply));
    QObject::connect(&prefs, changed, toggle, [toggle, &prefs, read] { toggle->setChecked((prefs.*read)()); });
    return toggle;
}

}

GeneralTab::GeneralTab(Preferences& prefs, SettingsStore& settings, QWidget* parent)
    : QWidget(parent)
    , m_prefs(prefs)
{
    setObjectName(QStringLiteral("generalTab"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 8, 20, 12);
    column->setSpacing(14);

    m_autoOpen = boundSwitch(prefs, &Preferences::autoOpenEditor, &Preferences::autoOpenEditorChanged,
        [&prefs](bool on) { prefs.setAutoOpenEditor(on); }, this);
    m_copy = boundSwitch(prefs, &Preferences::copyAfterCapture, &Preferences::copyAfterCaptureChanged,
        [&prefs](bool on) { prefs.setCopyAfterCapture(on); }, this);
    m_instant = boundSwitch(prefs, &Preferences::instantScreenshots, &Preferences::instantScreenshotsChanged,
        [&prefs](bool on) {
            prefs.setInstantScreenshots(on);
            prefs.scheduleInstantScreenshotsSync();
        },
        this);
    m_login = boundSwitch(prefs, &Preferences::launchAtLogin, &Preferences::launchAtLoginChanged,
        [this](bool on) { setLaunchAtLogin(on); }, this);

    auto* workflow = new SettingsSection(tr("Workflow"), QString(), this);
    workflow->addRow(tr("Open editor automatically for new screenshots"), m_autoOpen);
    workflow->addRow(tr("Copy beautified image to clipboard"), m_copy);
    workflow->addRow(platformText("Disable macOS floating thumbnail (for instant load)"), m_instant);
    column->addWidget(workflow);

    auto* system = new SettingsSection(tr("System"), QString(), this);
    system->addRow(tr("Launch Lumaforge at login"), m_login);
    m_loginNotice = secondaryLabel(QString());
    m_loginNotice->setObjectName(QStringLiteral("loginNotice"));
    m_loginNotice->hide();
    system->addRow(m_loginNotice);
    m_onboarding = new FormButton(tr("Show onboarding again"));
    m_onboarding->setFont(Theme::font(13));
    m_onboarding->setFixedHeight(26);
    m_onboarding->setMinimumWidth(m_onboarding->sizeHint().width() + 16);
    m_onboarding->setObjectName(QStringLiteral("showOnboardingAgain"));
    connect(m_onboarding, &QAbstractButton::clicked, this,
        [&settings] { settings.setValue(QStringLiteral("hasCompletedOnboarding"), false); });
    auto* buttonRow = new QWidget;
    auto* buttonLine = new QHBoxLayout(buttonRow);
    buttonLine->setContentsMargins(0, 2, 0, 2);
    buttonLine->addWidget(m_onboarding);
    buttonLine->addStretch();
    system->addRow(buttonRow);
    column->addWidget(system);
    column->addStretch();
}

void GeneralTab::setLaunchAtLogin(bool on)
{
    m_prefs.setLaunchAtLogin(on);
    QString error;
    if (m_prefs.syncLaunchAtLogin(&error)) {
        m_loginNotice->hide();
        return;
    }
    // The switch shows what is true: the autostart entry did not change.
    m_prefs.setLaunchAtLogin(!on);
    m_loginNotice->setText(on ? tr("Lumaforge cannot start at login: %1").arg(error)
                              : tr("Lumaforge still starts at login: %1").arg(error));
    m_loginNotice->show();
}
