#pragma once

#include "model/StylePreset.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

#include <optional>

class NotchController;
class QHBoxLayout;
class QScrollArea;

// The gold or outlined star of a preset chip: makes the preset the default style for new shots.
class NotchDefaultStar final : public QAbstractButton {
    Q_OBJECT
public:
    explicit NotchDefaultStar(QWidget* parent = nullptr);

    void setState(bool isDefault, bool selected);
    bool isDefault() const { return m_isDefault; }
    QString symbol() const;
    QColor color() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_isDefault = false;
    bool m_selected = false;
};

// One chip of the style strip: "Auto", or a preset with its swatch, name and star.
class NotchStyleChip final : public QAbstractButton {
    Q_OBJECT
public:
    // The "Auto" chip without a preset.
    NotchStyleChip(std::optional<StylePreset> preset, QWidget* parent = nullptr);

    const std::optional<StylePreset>& preset() const { return m_preset; }
    // The style key this chip stands for.
    QString styleKey() const;
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    NotchDefaultStar* star() const { return m_star; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    qreal contentWidth() const;

    std::optional<StylePreset> m_preset;
    bool m_selected = false;
    NotchDefaultStar* m_star = nullptr;
};

// The style strip shown while the pointer is on the card: a hairline, then a horizontally
// scrolling row of the "Auto" chip and one chip per saved preset (or a hint when none is saved).
class NotchStyleStrip final : public QWidget {
    Q_OBJECT
public:
    explicit NotchStyleStrip(NotchController* controller, QWidget* parent = nullptr);

    QList<NotchStyleChip*> chips() const { return m_chips; }
    QString hintText() const;
    bool showsHint() const;
    int stripHeight() const;

    // How far one notch of a mouse wheel moves the row.
    static constexpr int kWheelNotchPx = 60;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuild();
    void refreshSelection();

    QPointer<NotchController> m_controller;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_row = nullptr;
    QHBoxLayout* m_layout = nullptr;
    QList<NotchStyleChip*> m_chips;
};
