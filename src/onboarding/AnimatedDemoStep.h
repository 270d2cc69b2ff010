#pragma once

#include <QWidget>

class LoopingVideoView;

// The second onboarding page: "Make it pop." over the looping demo clip.
class AnimatedDemoStep : public QWidget {
    Q_OBJECT
public:
    explicit AnimatedDemoStep(QWidget* parent = nullptr);

    LoopingVideoView* video() const { return m_video; }

    static constexpr int kVideoHeight = 340;

private:
    LoopingVideoView* m_video;
};
