#pragma once

#include "model/RawEnum.h"

#include <QString>
#include <QUrl>

// The platforms of the quick-share circles; declaration order is the default circle order.
enum class SocialPlatform { x, reddit, linkedin };

template <>
struct EnumCases<SocialPlatform> {
    static constexpr std::array<std::pair<SocialPlatform, const char*>, 3> table { {
        { SocialPlatform::x, "x" },
        { SocialPlatform::reddit, "reddit" },
        { SocialPlatform::linkedin, "linkedin" },
    } };
};

QString title(SocialPlatform platform);
// Resource name of the platform's logo (":/logos/<name>.svg").
QString logoName(SocialPlatform platform);
// The platform's compose page; carries nothing about the shot.
QUrl shareURL(SocialPlatform platform);
