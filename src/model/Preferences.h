#pragma once

#include "model/SocialPlatform.h"
#include "model/StyleOptions.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <set>

class LoginItem;
class ScreenshotSettings;
class SerialExecutor;
class SettingsStore;

// The user's settings. Bound settings read and write their key directly; the others live in
// memory and are written by the store as described per property. Main thread only.
class Preferences : public QObject {
    Q_OBJECT
public:
    Preferences(SettingsStore& store, LoginItem& loginItem, ScreenshotSettings& screenshotSettings,
        QString logoPath, QObject* parent = nullptr);
    ~Preferences() override;

    static Preferences& shared();

    // Bound settings.
    QString defaultBackgroundRaw() const;
    void setDefaultBackgroundRaw(const QString& raw);
    QString defaultPresetID() const;
    void setDefaultPresetID(const QString& id);
    bool copyAfterCapture() const;
    void setCopyAfterCapture(bool on);
    bool autoOpenEditor() const;
    void setAutoOpenEditor(bool on);
    bool launchAtLogin() const;
    void setLaunchAtLogin(bool on);
    bool showWatermarkByDefault() const;
    void setShowWatermarkByDefault(bool on);
    bool instantScreenshots() const;
    void setInstantScreenshots(bool on);

    // Written 300 ms after the last change, and at once when the application quits or exits.
    QString watermarkText() const { return m_watermarkText; }
    void setWatermarkText(const QString& text);
    // Writes a pending watermark-text change now.
    void flushWatermarkText();

    // Held at most at the size a watermark is drawn at (maxLogoSide), whatever size was chosen or
    // stored.
    QImage watermarkLogo() const { return m_watermarkLogo; }
    // Stores the logo and saves (or, for a null image, removes) the file, in assignment order. A
    // larger logo is scaled down on the writer thread; the smaller one then replaces it here too.
    void setWatermarkLogo(const QImage& logo);
    QString watermarkLogoPath() const;

    WatermarkPosition watermarkPosition() const { return m_watermarkPosition; }
    void setWatermarkPosition(WatermarkPosition position);

    QList<SocialPlatform> socialOrder() const { return m_socialOrder; }
    void setSocialOrder(const QList<SocialPlatform>& order);
    std::set<SocialPlatform> enabledSocial() const { return m_enabledSocial; }
    void setEnabledSocial(const std::set<SocialPlatform>& enabled);
    // socialOrder without the platforms that are not enabled, order kept.
    QList<SocialPlatform> orderedEnabledSocial() const;

    // Makes the login item match launchAtLogin. False (logged, and why in `error`) when it could
    // not.
    bool syncLaunchAtLogin(QString* error = nullptr);
    // Applies instantScreenshots (read now) to the desktop's screenshot tool off the main thread.
    void scheduleInstantScreenshotsSync();
    void syncInstantScreenshots(bool value);

    // Waits for pending logo writes (tests, quit).
    void waitForFileWrites();

Q_SIGNALS:
    void defaultBackgroundRawChanged();
    void defaultPresetIDChanged();
    void copyAfterCaptureChanged();
    void autoOpenEditorChanged();
    void launchAtLoginChanged();
    void showWatermarkByDefaultChanged();
    void instantScreenshotsChanged();
    void watermarkTextChanged();
    void watermarkLogoChanged();
    void watermarkPositionChanged();
    void socialOrderChanged();
    void enabledSocialChanged();
    // The logo file could not be saved or removed; sent once until a save succeeds again.
    void saveFailed(const QString& reason);
    // The stored logo could not be read at start (`reason`); it was moved aside to `keptAs` (empty
    // when even that failed), so the next start does not meet it again.
    void watermarkLogoUnreadable(const QString& reason, const QString& keptAs);

private:
    bool boundBool(const char* key, bool fallback) const;
    void setBoundBool(const char* key, bool value, void (Preferences::*signal)());
    QList<SocialPlatform> loadSocialOrder() const;
    std::set<SocialPlatform> loadEnabledSocial() const;
    void startLogoLoad();
    void logoLoaded(const QImage& logo, bool reduced, const QString& failure);
    void storeLogo(const QImage& logo, quint64 generation);
    void logoSaveDone(const QString& failure);
    void syncLaunchAtLoginAtStart();

    SettingsStore& m_store;
    LoginItem& m_loginItem;
    ScreenshotSettings& m_screenshotSettings;
    QString m_logoPath;
    std::unique_ptr<SerialExecutor> m_fileWriter;

    QString m_watermarkText;
    QTimer m_watermarkTextDebounce;
    bool m_watermarkTextPending = false;
    QImage m_watermarkLogo;
    // Counts logo assignments so a slow start-up load never overrides a newer choice.
    quint64 m_logoGeneration = 0;
    bool m_logoSaveFailing = false;
    WatermarkPosition m_watermarkPosition = WatermarkPosition::bottomRight;
    QList<SocialPlatform> m_socialOrder;
    std::set<SocialPlatform> m_enabledSocial;
};
