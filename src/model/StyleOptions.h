#pragma once

#include "model/RawEnum.h"

#include <optional>

// Window chrome drawn above the screenshot.
enum class WindowFrameStyle { none, light, dark };

// The corner of the canvas that holds the watermark.
enum class WatermarkPosition { topLeft, topRight, bottomLeft, bottomRight };

// How hidden areas are drawn.
enum class RedactStyle { blur, pixelate, block };

// Canvas aspect ratios; the raw value is also the text shown for the option.
enum class AspectRatioOption { automatic, r16_9, r4_3, r3_2, r1_1, r9_16, x, facebook, instagram, linkedin, youtube, pinterest, reddit, snapchat };

template <>
struct EnumCases<WindowFrameStyle> {
    static constexpr std::array<std::pair<WindowFrameStyle, const char*>, 3> table { {
        { WindowFrameStyle::none, "none" },
        { WindowFrameStyle::light, "light" },
        { WindowFrameStyle::dark, "dark" },
    } };
};

template <>
struct EnumCases<WatermarkPosition> {
    static constexpr std::array<std::pair<WatermarkPosition, const char*>, 4> table { {
        { WatermarkPosition::topLeft, "topLeft" },
        { WatermarkPosition::topRight, "topRight" },
        { WatermarkPosition::bottomLeft, "bottomLeft" },
        { WatermarkPosition::bottomRight, "bottomRight" },
    } };
};

template <>
struct EnumCases<RedactStyle> {
    static constexpr std::array<std::pair<RedactStyle, const char*>, 3> table { {
        { RedactStyle::blur, "blur" },
        { RedactStyle::pixelate, "pixelate" },
        { RedactStyle::block, "block" },
    } };
};

// `automatic` is the design's `auto` case (a C++ keyword); its raw value stays "Auto".
template <>
struct EnumCases<AspectRatioOption> {
    static constexpr std::array<std::pair<AspectRatioOption, const char*>, 14> table { {
        { AspectRatioOption::automatic, "Auto" },
        { AspectRatioOption::r16_9, "16:9" },
        { AspectRatioOption::r4_3, "4:3" },
        { AspectRatioOption::r3_2, "3:2" },
        { AspectRatioOption::r1_1, "1:1" },
        { AspectRatioOption::r9_16, "9:16" },
        { AspectRatioOption::x, "X" },
        { AspectRatioOption::facebook, "Facebook" },
        { AspectRatioOption::instagram, "Instagram" },
        { AspectRatioOption::linkedin, "LinkedIn" },
        { AspectRatioOption::youtube, "Youtube" },
        { AspectRatioOption::pinterest, "Pinterest" },
        { AspectRatioOption::reddit, "Reddit" },
        { AspectRatioOption::snapchat, "Snapchat" },
    } };
};

// Width divided by height; no value for `automatic` (the canvas keeps its natural proportions).
constexpr std::optional<double> ratio(AspectRatioOption option)
{
    switch (option) {
    case AspectRatioOption::automatic: return std::nullopt;
    case AspectRatioOption::r16_9: return 16.0 / 9.0;
    case AspectRatioOption::r4_3: return 4.0 / 3.0;
    case AspectRatioOption::r3_2: return 1.5;
    case AspectRatioOption::r1_1: return 1.0;
    case AspectRatioOption::r9_16: return 0.5625;
    case AspectRatioOption::x: return 16.0 / 9.0;
    case AspectRatioOption::facebook: return 1200.0 / 630.0;
    case AspectRatioOption::instagram: return 0.8;
    case AspectRatioOption::linkedin: return 1200.0 / 627.0;
    case AspectRatioOption::youtube: return 16.0 / 9.0;
    case AspectRatioOption::pinterest: return 2.0 / 3.0;
    case AspectRatioOption::reddit: return 1200.0 / 628.0;
    case AspectRatioOption::snapchat: return 0.5625;
    }
    return std::nullopt;
}
