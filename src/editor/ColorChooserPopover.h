#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class ColorSampler;
#include <QColorDialog>

// The ten colours offered for annotations, in the order the chooser shows them.
inline constexpr std::array<int, 10> colorPalette {
    0xFF3B30, 0xFF9500, 0xFFCC00, 0x34C759, 0x00C7BE, 0x0A84FF, 0x5E5CE6, 0xFF2D55, 0x000000, 0xFFFFFF,
};

// One palette colour: a round swatch, ringed in the accent when it is exactly the current colour.
// Only the circle takes clicks.
class ColorSwatch final : public QAbstractButton {
    Q_OBJECT
public:
    ColorSwatch(int hex, QWidget* parent = nullptr);
    int hex() const { return m_hex; }
    bool isRinged() const { return m_ringed; }
    void setRinged(bool ringed);
    QSize sizeHint() const override { return { 28, 28 }; }

    static constexpr qreal kDiameter = 22;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    int m_hex;
    bool m_ringed = false;
};

// The content of the colour chip's popover: the palette, "Pick" (sample a colour from the screen)
// and a colour well that opens the colour wheel as a separate, non-modal window. Every choice is
// handed to `onPick`; the chooser changes nothing itself and stays open after a choice.
class ColorChooserPopover final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 190;
    static constexpr int kPadding = 14;
    static constexpr int kSpacing = 12;
    // Time for the desktop to redraw where the popover stood before the screen is sampled.
    static constexpr int kSamplerDelayMs = 150;

    ColorChooserPopover(int hex, std::function<void(int)> onPick, QWidget* parent = nullptr);
    ~ColorChooserPopover() override;

    int hex() const { return m_hex; }
    // Moves the ring and the well (and an open colour wheel) to the new colour.
    void setHex(int hex);

    // The session's sampler unless one is set (tests).
    void setSampler(ColorSampler* sampler);
    ColorSampler& sampler() const;

    ColorSwatch* swatch(int index) const { return m_swatches.at(index); }
    QAbstractButton* pickButton() const { return m_pick; }
    QAbstractButton* colorWell() const { return m_well; }
    // The colour wheel window, once the well has opened it.
    QColorDialog* colorDialog() const { return m_dialog; }

Q_SIGNALS:
    // Before the screen is sampled (the popover should get out of the way) and after.
    void samplingStarted();
    void samplingFinished();

private:
    void startSampling();
    void openColorDialog();
    void refreshPickButton();

    int m_hex;
    std::function<void(int)> m_onPick;
    QList<ColorSwatch*> m_swatches;
    QAbstractButton* m_pick = nullptr;
    QAbstractButton* m_well = nullptr;
    QPointer<QColorDialog> m_dialog;
    ColorSampler* m_sampler = nullptr;
    bool m_sampling = false;
};
