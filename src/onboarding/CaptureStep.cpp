#include "onboarding/CaptureStep.h"

#include "onboarding/BrandHeadline.h"
#include "onboarding/KeystrokeHero.h"
#include "platform/PlatformTexts.h"

#include <QVBoxLayout>

CaptureStep::CaptureStep(const DesktopScreenshotKeys& keys, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("captureStep"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(38);
    layout->addWidget(new BrandHeadline(tr("Snap it."),
        platformText("Use the macOS shortcut you already know. Your shot lands here the instant you take it."), this));
    layout->addWidget(new KeystrokeHero(keys, this));
}
