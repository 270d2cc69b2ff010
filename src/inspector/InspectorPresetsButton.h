#pragma once

#include <QAbstractButton>

// The presets menu's label: the title (elided), and the up-down chevron at the trailing end, on
// the control fill.
class InspectorPresetsButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit InspectorPresetsButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
