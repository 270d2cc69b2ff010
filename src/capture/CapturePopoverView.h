#pragma once

#include "capture/CapturedShot.h"
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
class QVariantAnimation;

// One command row of the popover: a symbol, the command's title and, at the trailing edge, its
// shortcut label, 39 high across the whole width, which is all its hit area. The pointer over an
// enabled row lights its background (eased in and out over 0.12 s); a disabled row is drawn at
// 0.36 opacity and never lights. Titles and labels are shown as given.
class MenuCommandButton final : public QAbstractButton {
    Q_OBJECT
public:
    MenuCommandButton(QString title, std::optional<QString> shortcut, QString icon, std::function<void()> action,
        QWidget* parent = nullptr);

    static constexpr int rowHeight = 39;

    QString title() const { return text(); }
    std::optional<QString> shortcut() const { return m_shortcut; }
    void setShortcut(std::optional<QString> shortcut);
    QString icon() const { return m_icon; }
    bool isHovering() const { return m_hovering; }
    // How lit the background is, 0 to 1 (follows isHovering through the ease).
    qreal hoverAmount() const { return m_hoverAmount; }

    // The shape the lit background is clipped to, in this row's coordinates (the rounded group
    // the row sits in); empty clips nothing.
    void setBackgroundClip(const QPainterPath& clip);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);

    std::optional<QString> m_shortcut;
    QString m_icon;
    std::function<void()> m_action;
    bool m_hovering = false;
    qreal m_hoverAmount = 0.0;
    QVariantAnimation* m_hoverAnimation;
    QPainterPath m_backgroundClip;
};

// The content of the tray icon's popup: eight command rows (captures through the desktop's
// screenshot tool, paste, open, edit latest, show the screenshots folder), a status line, the
// three newest shots as thumbnails and a footer with the quit command; a gear opens the
// settings. 324 wide; its height follows its content.
//
// It keeps no state but each row's hover: the recent shots and the shortcut labels are read
// again whenever the capture manager or the shortcut store announces a change. Nothing in it
// closes its window. Main thread only; the collaborators must outlive it.
class CapturePopoverView final : public QWidget {
    Q_OBJECT
public:
    // What the shell carries out for the popover. An unset action does nothing.
    struct Actions {
        std::function<void()> pasteScreenshot;
        std::function<void(const CapturedShot&)> openShotInEditor;
        std::function<void()> openSettings;
        std::function<void()> quit;
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

    QList<MenuCommandButton*> m_rows;
    QAbstractButton* m_settingsButton;
    QAbstractButton* m_openLatest;
    QAbstractButton* m_quitButton;
    QWidget* m_placeholder;
    QList<QPointer<QWidget>> m_strip; // thumbnails, then empty slots
    QHash<QUuid, QPixmap> m_thumbnails;
    QString m_notice;
};
