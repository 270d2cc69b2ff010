#pragma once

#include <QWidget>

class SpringAnimation;
class FormatBarEffect;

// The floating panel around one format bar's controls: the material in a rounded rectangle with a
// hairline border and a soft shadow, 40 pt high, the controls padded 10 pt at the sides. It comes
// in and goes out scaling from 0.88 and fading, on a spring; once gone it deletes itself.
class FormatBarContainer : public QWidget {
    Q_OBJECT
public:
    // `content` may be null (an empty bar); the container takes it over.
    explicit FormatBarContainer(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    // Moves the panel so its centre is at `center` (parent coordinates).
    void setCenter(QPointF center);
    void appear();
    // Animates out, then deletes itself.
    void disappear();
    bool isDisappearing() const { return m_disappearing; }
    // Transition progress: 0 gone, 1 fully shown (the spring may overshoot slightly).
    double progress() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setProgress(double progress);

    QWidget* m_content = nullptr;
    FormatBarEffect* m_effect;
    SpringAnimation* m_spring;
    bool m_disappearing = false;
};
