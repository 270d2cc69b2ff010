#pragma once

#include <QAbstractButton>
#include <QPointer>

#include <functional>

class ColorChooserPopover;
#include "ui/PopoverWindow.h"

// A small round chip showing a colour. Clicking it opens the colour chooser in a popover hanging
// below it; the chooser's choices go to `onPick` and the popover stays open until the user
// clicks elsewhere. The chip changes nothing itself: its owner answers a pick by calling setHex().
class ColorChipButton final : public QAbstractButton {
    Q_OBJECT
public:
    ColorChipButton(int hex, std::function<void(int)> onPick, qreal size, QWidget* parent = nullptr);
    ~ColorChipButton() override;

    int hex() const { return m_hex; }
    void setHex(int hex);
    qreal diameter() const { return m_size; }

    // Whether the popover is open.
    bool isShowing() const { return m_showing; }
    // The popover and its chooser, once the chip has been clicked.
    PopoverWindow* popover() const { return m_popover; }
    ColorChooserPopover* chooser() const { return m_chooser; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // The user opened the chooser with a click (not when it comes back after sampling).
    void opened();
    void showingChanged(bool showing);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void open();
    void setShowing(bool showing);

    int m_hex;
    std::function<void(int)> m_onPick;
    qreal m_size;
    bool m_showing = false;
    bool m_reopenAfterSampling = false;
    QPointer<PopoverWindow> m_popover;
    ColorChooserPopover* m_chooser = nullptr;
};
