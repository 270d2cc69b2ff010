#include "model/SocialPlatform.h"

QString title(SocialPlatform platform)
{
    switch (platform) {
    case SocialPlatform::x: return QStringLiteral("X");
    case SocialPlatform::reddit: return QStringLiteral("Reddit");
    case SocialPlatform::linkedin: return QStringLiteral("LinkedIn");
    }
    return {};
}

QString logoName(SocialPlatform platform)
{
    switch (platform) {
    case SocialPlatform::x: return QStringLiteral("x_logo");
    case SocialPlatform::reddit: return QStringLiteral("reddit_logo");
    case SocialPlatform::linkedin: return QStringLiteral("linkedin_logo");
    }
    return {};
}

QUrl shareURL(SocialPlatform platform)
{
    switch (platform) {
    case SocialPlatform::x: return QUrl(QStringLiteral("https://x.com/intent/post"));
    case SocialPlatform::reddit: return QUrl(QStringLiteral("https://www.reddit.com/submit"));
    case SocialPlatform::linkedin: return QUrl(QStringLiteral("https://www.linkedin.com/feed/?shareActive=true"));
    }
    return {};
}
