#pragma once

#include "model/RawEnum.h"

#include <QList>
#include <QRectF>

#include <map>

// The kinds of sensitive text, in declaration order.
enum class RedactionKind { email, phone, card, ip, money, apiKey };

template <>
struct EnumCases<RedactionKind> {
    static constexpr std::array<std::pair<RedactionKind, const char*>, 6> table { {
        { RedactionKind::email, "email" },
        { RedactionKind::phone, "phone" },
        { RedactionKind::card, "card" },
        { RedactionKind::ip, "ip" },
        { RedactionKind::money, "money" },
        { RedactionKind::apiKey, "apiKey" },
    } };
};

// Rectangles found per kind, in image fractions with the origin at the top left. A kind with no
// match has no entry.
using DetectionResult = std::map<RedactionKind, QList<QRectF>>;
