#include "model/Preferences.h"

#include "core/Async.h"
#include "core/Log.h"
#include "core/SerialExecutor.h"
#include "model/WatermarkConfig.h"
#include "image/ImageFile.h"
#include "image/PngEncoder.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/LoginItem.h"
#include "platform/QuitSignals.h"
#include "platform/ScreenshotSettings.h"
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <utility>

namespace {
// Instant screenshots switch the tool's own floating thumbnail off.
void applyInstantScreenshots(ScreenshotSettings& settings, bool instant)
{
    settings.setShowThumbnail(!instant);
}

const QString kDefaultBackground = QStringLiteral("defaultBackground");
const QString kDefaultPresetID = QStringLiteral("defaultPresetID");
const char* const kCopyAfterCapture = "copyAfterCapture";
const char* const kAutoOpenEditor = "autoOpenEditor";
const char* const kLaunchAtLogin = "launchAtLogin";
const char* const kShowWatermark = "showWatermark";
const char* const kInstantScreenshots = "instantScreenshots";
const QString kWatermarkText = QStringLiteral("watermarkText");
const QString kWatermarkPosition = QStringLiteral("watermarkPosition");
const QString kSocialOrder = QStringLiteral("socialPlatformOrder");
const QString kEnabledSocial = QStringLiteral("enabledSocialPlatforms");
}

Preferences::Preferences(SettingsStore& store, LoginItem& loginItem, ScreenshotSettings& screenshotSettings,
    QString logoPath, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_loginItem(loginItem)
    , m_screenshotSettings(screenshotSettings)
    , m_logoPath(std::move(logoPath))
    , m_fileWriter(std::make_unique<SerialExecutor>())
{
    m_socialOrder = loadSocialOrder();
    m_enabledSocial = loadEnabledSocial();
    m_watermarkText = m_store.stringValue(kWatermarkText).value_or(QString());
    m_watermarkPosition = fromRaw<WatermarkPosition>(m_store.stringValue(kWatermarkPosition).value_or(QString()))
                              .value_or(WatermarkPosition::bottomRight);

    m_watermarkTextDebounce.setSingleShot(true);
    m_watermarkTextDebounce.setInterval(300);
    connect(&m_watermarkTextDebounce, &QTimer::timeout, this, &Preferences::flushWatermarkText);
    // A change typed just before quitting (or before the X server went away) must not be lost.
    QuitSignals::addFlush(this, [this] {
        flushWatermarkText();
        waitForFileWrites();
    });

    startLogoLoad();
    scheduleInstantScreenshotsSync();
    syncLaunchAtLoginAtStart();
}

Preferences::~Preferences()
{
    flushWatermarkText();
    m_fileWriter->waitForDone();
}

Preferences& Preferences::shared()
{
    static Preferences* instance = [] {
        const QString dir = AppPaths::dataDir();
        return new Preferences(SettingsStore::shared(), LoginItem::shared(), ScreenshotSettings::shared(),
            dir + QStringLiteral("/watermark-logo.png"));
    }();
    return *instance;
}

// ---- bound settings -------------------------------------------------------------------------

bool Preferences::boundBool(const char* key, bool fallback) const
{
    return m_store.boolValue(QLatin1String(key)).value_or(fallback);
}

void Preferences::setBoundBool(const char* key, bool value, void (Preferences::*signal)())
{
    m_store.setValue(QLatin1String(key), value);
    Q_EMIT(this->*signal)();
}

QString Preferences::defaultBackgroundRaw() const
{
    return m_store.stringValue(kDefaultBackground).value_or(QStringLiteral("ocean"));
}

void Preferences::setDefaultBackgroundRaw(const QString& raw)
{
    m_store.setValue(kDefaultBackground, raw);
    Q_EMIT defaultBackgroundRawChanged();
}

QString Preferences::defaultPresetID() const
{
    return m_store.stringValue(kDefaultPresetID).value_or(QString());
}

void Preferences::setDefaultPresetID(const QString& id)
{
    m_store.setValue(kDefaultPresetID, id);
    Q_EMIT defaultPresetIDChanged();
}

bool Preferences::copyAfterCapture() const { return boundBool(kCopyAfterCapture, true); }
void Preferences::setCopyAfterCapture(bool on) { setBoundBool(kCopyAfterCapture, on, &Preferences::copyAfterCaptureChanged); }
bool Preferences::autoOpenEditor() const { return boundBool(kAutoOpenEditor, true); }
void Preferences::setAutoOpenEditor(bool on) { setBoundBool(kAutoOpenEditor, on, &Preferences::autoOpenEditorChanged); }
bool Preferences::launchAtLogin() const { return boundBool(kLaunchAtLogin, true); }
void Preferences::setLaunchAtLogin(bool on) { setBoundBool(kLaunchAtLogin, on, &Preferences::launchAtLoginChanged); }
bool Preferences::showWatermarkByDefault() const { return boundBool(kShowWatermark, false); }
void Preferences::setShowWatermarkByDefault(bool on) { setBoundBool(kShowWatermark, on, &Preferences::showWatermarkByDefaultChanged); }
bool Preferences::instantScreenshots() const { return boundBool(kInstantScreenshots, true); }
void Preferences::setInstantScreenshots(bool on) { setBoundBool(kInstantScreenshots, on, &Preferences::instantScreenshotsChanged); }

// ---- watermark text -------------------------------------------------------------------------

void Preferences::setWatermarkText(const QString& text)
{
    if (text == m_watermarkText)
        return;
    m_watermarkText = text;
    m_watermarkTextPending = true;
    m_watermarkTextDebounce.start();
    Q_EMIT watermarkTextChanged();
}

void Preferences::flushWatermarkText()
{
    m_watermarkTextDebounce.stop();
    if (!m_watermarkTextPending)
        return;
    m_watermarkTextPending = false;
    m_store.setValue(kWatermarkText, m_watermarkText);
}

// ---- watermark logo -------------------------------------------------------------------------

QString Preferences::watermarkLogoPath() const
{
    if (!m_logoPath.isEmpty())
        QDir().mkpath(QFileInfo(m_logoPath).absolutePath());
    return m_logoPath;
}

void Preferences::startLogoLoad()
{
    const QString path = watermarkLogoPath();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    struct Loaded {
        QImage logo;
        bool reduced = false;
        QString failure;
    };
    // A large logo takes a while to decode and scale: not on the main thread.
    runInBackground(
        QThreadPool::globalInstance(), this,
        [path] {
            ImageFile::Result read = ImageFile::read(path);
            if (!read.ok())
                return Loaded { {}, false, read.error };
            QImage fitted = fittedWatermarkLogo(read.image);
            const bool reduced = fitted.size() != read.image.size();
            return Loaded { std::move(fitted), reduced, {} };
        },
        [this, generation = m_logoGeneration](const Loaded& loaded) {
            // The user picked a logo while we were reading: theirs wins.
            if (generation == m_logoGeneration)
                logoLoaded(loaded.logo, loaded.reduced, loaded.failure);
        });
}

void Preferences::logoLoaded(const QImage& logo, bool reduced, const QString& failure)
{
    if (!failure.isEmpty()) {
        // Moved aside, not deleted: the next start does not meet it again, and nothing is lost.
        const QString path = watermarkLogoPath();
        QString keptAs = path + QStringLiteral(".corrupt-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::rename(path, keptAs))
            keptAs.clear();
        logLine(QStringLiteral("the watermark logo %1 cannot be read (%2); %3")
                    .arg(path, failure, keptAs.isEmpty() ? QStringLiteral("it could not be moved aside") : QStringLiteral("kept as ") + keptAs));
        Q_EMIT watermarkLogoUnreadable(failure, keptAs);
        return;
    }
    m_watermarkLogo = logo;
    Q_EMIT watermarkLogoChanged();
    // Stored at the size it is kept at, so later starts need not decode the large one again.
    if (reduced)
        storeLogo(logo, m_logoGeneration);
}

void Preferences::setWatermarkLogo(const QImage& logo)
{
    ++m_logoGeneration;
    m_watermarkLogo = logo;
    Q_EMIT watermarkLogoChanged();
    storeLogo(logo, m_logoGeneration);
}

void Preferences::storeLogo(const QImage& logo, quint64 generation)
{
    const QString path = watermarkLogoPath();
    if (path.isEmpty())
        return;
    // Scaling and encoding a large logo take seconds: on the writer thread, in assignment order.
    m_fileWriter->post([this, path, logo, generation] {
        std::optional<FileWriteFailure> failure;
        const QImage fitted = fittedWatermarkLogo(logo);
        if (logo.isNull()) {
            failure = removeFile(path);
        } else if (const QByteArray png = PngEncoder::encode(fitted); png.isEmpty()) {
            // Keep the logo already on disk rather than deleting it.
            logLine(QStringLiteral("watermark logo could not be encoded; the stored logo is kept"));
        } else {
            failure = writeFileAtomically(path, png);
        }
        if (failure)
            logLine(QStringLiteral("watermark logo write failed: %1").arg(failure->logText()));
        // The destructor waits for this task: the preferences are alive here.
        postToMain(this, [this, reason = failure ? failure->reason() : QString(), fitted, generation,
                             reduced = fitted.size() != logo.size()] {
            // Only the smaller form stays in memory, unless another logo was chosen meanwhile.
            if (reduced && generation == m_logoGeneration) {
                m_watermarkLogo = fitted;
                Q_EMIT watermarkLogoChanged();
            }
            logoSaveDone(reason);
        });
    });
}

void Preferences::logoSaveDone(const QString& failure)
{
    if (failure.isEmpty()) {
        m_logoSaveFailing = false;
        return;
    }
    if (std::exchange(m_logoSaveFailing, true))
        return;
    Q_EMIT saveFailed(failure);
}

void Preferences::waitForFileWrites()
{
    m_fileWriter->waitForDone();
}

// ---- position and platforms -----------------------------------------------------------------

void Preferences::setWatermarkPosition(WatermarkPosition position)
{
    m_watermarkPosition = position;
    m_store.setValue(kWatermarkPosition, rawValue(position));
    Q_EMIT watermarkPositionChanged();
}

QList<SocialPlatform> Preferences::loadSocialOrder() const
{
    QList<SocialPlatform> order;
    for (const QString& raw : m_store.stringArrayValue(kSocialOrder).value_or(QStringList())) {
        const auto platform = fromRaw<SocialPlatform>(raw);
        // A platform stored twice would show two circles: keep its first place only.
        if (platform && !order.contains(*platform))
            order.append(*platform);
    }
    for (SocialPlatform platform : allCases<SocialPlatform>) {
        if (!order.contains(platform))
            order.append(platform);
    }
    return order;
}

std::set<SocialPlatform> Preferences::loadEnabledSocial() const
{
    const auto stored = m_store.stringArrayValue(kEnabledSocial);
    if (!stored)
        return { allCases<SocialPlatform>.begin(), allCases<SocialPlatform>.end() };
    std::set<SocialPlatform> enabled;
    for (const QString& raw : *stored) {
        if (const auto platform = fromRaw<SocialPlatform>(raw))
            enabled.insert(*platform);
    }
    return enabled;
}

void Preferences::setSocialOrder(const QList<SocialPlatform>& order)
{
    m_socialOrder = order;
    QStringList raw;
    for (SocialPlatform platform : order)
        raw.append(rawValue(platform));
    m_store.setValue(kSocialOrder, raw);
    Q_EMIT socialOrderChanged();
}

void Preferences::setEnabledSocial(const std::set<SocialPlatform>& enabled)
{
    m_enabledSocial = enabled;
    QStringList raw;
    for (SocialPlatform platform : enabled)
        raw.append(rawValue(platform));
    m_store.setValue(kEnabledSocial, raw);
    Q_EMIT enabledSocialChanged();
}

QList<SocialPlatform> Preferences::orderedEnabledSocial() const
{
    QList<SocialPlatform> out;
    for (SocialPlatform platform : m_socialOrder) {
        if (m_enabledSocial.count(platform))
            out.append(platform);
    }
    return out;
}

// ---- system-facing settings -----------------------------------------------------------------

void Preferences::syncLaunchAtLoginAtStart()
{
    // Settings that were lost (an unreadable or corrupt file) say nothing of the user's choice:
    // the default must not create an autostart entry they had switched off. The entry as it
    // stands is the last choice they made.
    if (!m_store.contains(QLatin1String(kLaunchAtLogin)) && !m_store.loadProblem().isEmpty()) {
        const bool registered = m_loginItem.isRegistered();
        logLine(QStringLiteral("settings were lost; launch at login stays %1 as the autostart entry says")
                    .arg(registered ? QStringLiteral("on") : QStringLiteral("off")));
        m_store.setValue(QLatin1String(kLaunchAtLogin), registered);
        return;
    }
    syncLaunchAtLogin();
}

bool Preferences::syncLaunchAtLogin(QString* error)
{
    FileWriteFailure why;
    if (m_loginItem.apply(launchAtLogin(), &why))
        return true;
    logLine(QStringLiteral("launch-at-login toggle failed: ") + why.logText());
    if (error)
        *error = why.reason();
    return false;
}

void Preferences::scheduleInstantScreenshotsSync()
{
    const bool value = instantScreenshots();
    ScreenshotSettings* settings = &m_screenshotSettings;
    // On our own writer, which the destructor waits for: the settings must outlive the task.
    m_fileWriter->post([settings, value] { applyInstantScreenshots(*settings, value); });
}

void Preferences::syncInstantScreenshots(bool value)
{
    applyInstantScreenshots(m_screenshotSettings, value);
}
