#pragma once

#include <QObject>
#include <QString>

// The captures the desktop's own screenshot tool is asked for.
enum class SystemCapture { options, selection, window, fullScreen };

// Starts the desktop's screenshot tool; the application never grabs the screen itself. The tool
// saves into the screenshot folder, where the watcher finds the file, or hands the file back
// (captured). Providers: the xdg-desktop-portal Screenshot interface, else on X11 synthetic
// presses of the desktop's own screenshot keys through XTEST.
class SystemScreenshotTool : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether a way to start the desktop's tool exists in this session.
    virtual bool isAvailable() const = 0;
    // What is missing, for the notice shown instead of a capture.
    virtual QString explainUnavailable() const = 0;
    // Asks for a capture. Without a way to start the tool nothing is attempted and `unavailable`
    // carries the explanation.
    virtual void capture(SystemCapture what) = 0;

    static SystemScreenshotTool& shared();

Q_SIGNALS:
    // The tool handed its file back directly (to be taken by CaptureManager::acceptCapturedFile).
    void captured(const QString& filePath);
    void unavailable(const QString& message);
    // A capture was asked for and nothing on the desktop took it up (the portal failed, or no
    // program listens for the screenshot key): the user is told to use the desktop's own key.
    void noAnswer();
};

// No way to start the desktop's tool in this session.
class NullScreenshotTool final : public SystemScreenshotTool {
    Q_OBJECT
public:
    explicit NullScreenshotTool(QString reason, QObject* parent = nullptr);
    bool isAvailable() const override { return false; }
    QString explainUnavailable() const override { return m_reason; }
    void capture(SystemCapture) override { Q_EMIT unavailable(m_reason); }

private:
    QString m_reason;
};
