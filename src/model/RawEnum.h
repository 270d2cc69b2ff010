#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

// Enumerations stored by a string raw value. Each one specialises EnumCases with its cases in
// declaration order:
//   template <> struct EnumCases<WindowFrameStyle> {
//       static constexpr std::array<std::pair<WindowFrameStyle, const char*>, 3> table { ... };
//   };
// and gets rawValue(), fromRaw<E>() (exact, case-sensitive) and allCases<E>.
template <typename E>
struct EnumCases;

template <typename E>
QString rawValue(E value)
{
    for (const auto& [v, raw] : EnumCases<E>::table) {
        if (v == value)
            return QString::fromUtf8(raw);
    }
    return {};
}

template <typename E>
std::optional<E> fromRaw(QStringView raw)
{
    for (const auto& [v, text] : EnumCases<E>::table) {
        if (raw == QString::fromUtf8(text))
            return v;
    }
    return std::nullopt;
}

template <typename E>
constexpr auto makeAllCases()
{
    constexpr auto& table = EnumCases<E>::table;
    std::array<E, table.size()> out {};
    for (std::size_t i = 0; i < table.size(); ++i)
        out[i] = table[i].first;
    return out;
}

template <typename E>
inline constexpr auto allCases = makeAllCases<E>();

// Position of a case in declaration order.
template <typename E>
constexpr std::size_t caseIndex(E value)
{
    constexpr auto& table = EnumCases<E>::table;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].first == value)
            return i;
    }
    return 0;
}
