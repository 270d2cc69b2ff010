#pragma once

#include <QString>
#include <QUuid>

#include <optional>

// Stored identifier texts are upper-case 8-4-4-4-12 groups without braces.
inline QString uuidString(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

// Parses exactly the 8-4-4-4-12 form (either case); anything else gives no value.
std::optional<QUuid> uuidFromString(const QString& text);
