#pragma once

#include "capture/CapturedShot.h"
#include "capture/MenuCommandButton.h"
#include "platform/SystemScreenshotTool.h"

#include <QAbstractButton>
#include <QHash>
#include <QList>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class CaptureManager;
class CaptureShortcutStore;

// The content of the tray icon's popup: eight command rows (captures through the desktop's
// screenshot tool, paste, open, edit latest, show the screenshots folder), a status line, the
// three newest shots as thumbnails and a footer with the quit command; a gear opens the
// settings. 324 wide; its height follows its content.
//
// It keeps no state but each row's hover: the recent shots and the shortcut labels are read
// again whenever the capture manager or the shortcut store announces a change. Only the capture
// rows close its window (see setCloseBeforeCapture). Main thread only; the collaborators must outlive it.
class CapturePopoverView final : public QWidget {
    Q_OBJECT
public:
    // What the shell carries out for the popover. An unset action does nothing.
    struct Actions {
        std::function<void()> pasteScreenshot;
        std::function<void(const CapturedShot&)> openShotInEditor;
        std::function<void()> openSettings;
        std::function<void()> quit;
        // Says what could not be done (the screenshots folder that no file manager showed).
        std::function<void(const QString&)> showFailure;
    };

    CapturePopoverView(CaptureManager& capture, CaptureShortcutStore& shortcuts, SystemScreenshotTool& tool,
        Actions actions, QWidget* parent = nullptr);

    static constexpr int fixedWidth = 324;
    static constexpr int recentLimit = 3;

    // The eight rows, top to bottom.
    QList<MenuCommandButton*> commandRows() const { return m_rows; }
    QAbstractButton* settingsButton() const { return m_settingsButton; }
    // Hidden while there are no recent shots.
    QAbstractButton* openLatestButton() const { return m_openLatest; }
    QAbstractButton* quitButton() const { return m_quitButton; }
    // The thumbnails of the newest shots, newest first; each carries its shot's id in the
    // property "shotId".
    QList<QAbstractButton*> thumbnailButtons() const;
    // Slots standing for shots missing to three, while at least one shot is recent.
    int emptySlotCount() const;
    // Shown instead of the strip while there are no recent shots.
    bool showsPlaceholder() const;

    // A line under the status line that says what does not work in this session (the capture hot
    // keys on a desktop without global shortcuts); empty shows none.
    void setNotice(const QString& notice);
    QString notice() const { return m_notice; }

    // Where the popover sits in a window of its own (the tray's popup): `close` puts that window
    // away and calls its argument once the screen no longer shows it, so that the capture rows'
    // shots never show the popover.
    void setCloseBeforeCapture(std::function<void(std::function<void()>)> close) { m_closeBeforeCapture = std::move(close); }

    // The commands, as the rows, the thumbnails and the buttons run them.
    void runSystemCapture(SystemCapture what);
    void editLatestCapture();
    void showScreenshotsFolder();
    void openShot(const CapturedShot& shot);
    void openSettingsWindow();
    void quitApplication();

    // The shot's image filling `size` (device pixels), cut to its aspect, never distorted; kept
    // per shot while the shot is shown.
    QPixmap thumbnailFor(const CapturedShot& shot, const QSize& size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Layout;
    Layout layout() const;
    void refreshShortcuts();
    void refreshRecents();
    void placeChildren();

    CaptureManager& m_capture;
    CaptureShortcutStore& m_shortcuts;
    SystemScreenshotTool& m_tool;
    Actions m_actions;
    std::function<void(std::function<void()>)> m_closeBeforeCapture;

    QList<MenuCommandButton*> m_rows;
    QAbstractButton* m_settingsButton;
    QAbstractButton* m_openLatest;
    QAbstractButton* m_quitButton;
    QWidget* m_placeholder;
    QList<QPointer<QWidget>> m_strip; // thumbnails, then empty slots
    QHash<QUuid, QPixmap> m_thumbnails;
    QString m_notice;
};
