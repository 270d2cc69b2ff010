#pragma once

#include "ui/Spring.h"

#include <QList>
#include <QWidget>

#include <memory>

// One capsule per step: the current one 22 points wide in the accent gradient, the others 6-point
// dots in a faint secondary colour. Width and fill spring to a new step (response 0.4 s,
// damping 0.8).
class ProgressDots : public QWidget {
    Q_OBJECT
public:
    explicit ProgressDots(int count, QWidget* parent = nullptr);

    int current() const { return m_current; }
    void setCurrent(int index);
    // How wide each dot is now (mid-animation values included).
    QList<qreal> dotWidths() const;

    QSize sizeHint() const override;

    static constexpr Spring kSpring { 0.4, 0.8 };

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_current = 0;
    QList<qreal> m_emphasis; // 0 for a plain dot, 1 for the current one
    QList<std::shared_ptr<SpringAnimation>> m_animations;
};
