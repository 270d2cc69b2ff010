#include "onboarding/AnimatedDemoStep.h"

#include "onboarding/BrandHeadline.h"
#include "onboarding/LoopingVideoView.h"
#include "ui/Theme.h"

#include <QVBoxLayout>

AnimatedDemoStep::AnimatedDemoStep(QWidget* parent)
    : QWidget(parent)
    , m_video(new LoopingVideoView(QStringLiteral("demo-animation"), this))
{
    setObjectName(QStringLiteral("animatedDemoStep"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(34);
    layout->addWidget(
        new BrandHeadline(tr("Make it pop."), tr("What you used to open Figma for. Now it just happens."), this));
    m_video->setFixedHeight(kVideoHeight);
    m_video->setCornerRadius(16);
    m_video->setBorder(Theme::rgb(0, 0, 0, 0.07), Theme::rgb(255, 255, 255, 0.12), 0.7);
    layout->addWidget(m_video);
}
