#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class CaptureManager;
class QAbstractButton;
class QMimeData;
class QVariantAnimation;
class SpringAnimation;

// The main window's content while no document is open: an invitation to drop, paste or open an
// image, the desktop's screenshot key, the settings button, and a notice while the screenshot
// folder cannot be read. What comes in here takes the import road: recent shots, then didImport,
// on which the application opens it in the editor.
class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> paste;               // AppState::pasteScreenshot
        std::function<void()> openSettings;
        std::function<void()> openPrivacySettings; // the notice's button
        std::function<void(const QString&)> failureToast; // a drop that cannot be opened
    };

    static constexpr int kMinimumWidth = 720;
    static constexpr int kMinimumHeight = 520;

    EmptyStateView(CaptureManager& capture, Hooks hooks, QWidget* parent = nullptr);
    ~EmptyStateView() override;

    // Takes a drop: false when nothing in it can be imported. The image is decoded (or the file
    // read) on a loader thread; a failure says why in a toast.
    bool handleImageDrop(const QMimeData& mime);
    // On the main thread: a valid image becomes a shot, joins the recent shots, then goes out on
    // didImport.
    void importDroppedImage(const QImage& image, const QString& filePath);

    bool targeted() const { return m_targeted; }
    void setTargeted(bool targeted);
    bool noticeShown() const;
    // Settles the entrance and the notice's slide (tests, screenshots).
    void finishAnimations();

    QAbstractButton* pasteButton() const { return m_paste; }
    QAbstractButton* openFileButton() const { return m_openFile; }
    QAbstractButton* settingsButton() const { return m_settings; }
    QAbstractButton* noticeButton() const { return m_noticeButton; }
    QWidget* notice() const;

Q_SIGNALS:
    // A drop finished loading (imported or refused); for tests.
    void dropLoaded(bool imported);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Content;
    class Card;
    class Notice;
    void updateNotice();
    void placeChildren();
    void failureToast(const QString& message);

    CaptureManager& m_capture;
    Hooks m_hooks;
    bool m_targeted = false;
    bool m_appeared = false;
    Content* m_content;
    Card* m_card;
    QAbstractButton* m_paste;
    QAbstractButton* m_openFile;
    QAbstractButton* m_settings;
    Notice* m_notice;
    QAbstractButton* m_noticeButton;
    QVariantAnimation* m_glow;
    SpringAnimation* m_appear;
    SpringAnimation* m_noticeSlide;
};
