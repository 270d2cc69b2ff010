#pragma once

#include <QAbstractButton>

// The footer's default button: a label and a trailing arrow in white on an accent-gradient
// capsule, 44 points high. Its soft violet shadow is painted by the footer behind it.
class OnboardingPrimaryButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit OnboardingPrimaryButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The capsule's shadow, for whoever paints behind the button.
    void paintShadow(QPainter& painter, QPointF topLeft) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The footer's plain Back button: a chevron and "Back" in the secondary colour.
class OnboardingBackButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit OnboardingBackButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
