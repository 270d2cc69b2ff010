#pragma once

#include <QAbstractButton>

// A switch-style toggle (label hidden): a capsule track with a knob, accent-coloured when on.
// Only a person's click emits clicked(); setChecked() from the model emits no clicked().
class SwitchToggle final : public QAbstractButton {
    Q_OBJECT
public:
    explicit SwitchToggle(QWidget* parent = nullptr);
    QSize sizeHint() const override { return { 38, 22 }; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
