#include "model/WatermarkConfig.h"

#include "model/Preferences.h"

WatermarkConfig currentWatermarkConfig(const Preferences& preferences)
{
    const QString text = preferences.watermarkText().trimmed();
    const QImage logo = preferences.watermarkLogo();
    if (!text.isEmpty() || !logo.isNull())
        return WatermarkConfig { text, logo, true, preferences.watermarkPosition() };
    return WatermarkConfig { QStringLiteral("Lumaforge"), QImage(), false, preferences.watermarkPosition() };
}

WatermarkConfig currentWatermarkConfig()
{
    return currentWatermarkConfig(Preferences::shared());
}

QImage fittedWatermarkLogo(const QImage& logo)
{
    if (logo.width() <= maxLogoSide && logo.height() <= maxLogoSide)
        return logo;
    return logo.scaled(maxLogoSide, maxLogoSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
