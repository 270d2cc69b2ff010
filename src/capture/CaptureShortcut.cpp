#include "capture/CaptureShortcut.h"

#include "platform/KeyboardLayout.h"
#include "platform/Keys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>

#include <cmath>

QString CaptureShortcut::displayString() const
{
    // The key position is what is bound; the active layout says what it is called now.
    return keyText(carbonModifiers, keyLabelFor(keyCode, keyLabel));
}

bool CaptureShortcut::isValid() const
{
    return (carbonModifiers & (CarbonModifier::command | CarbonModifier::option | CarbonModifier::control)) != 0
        && (carbonModifiers & ~CarbonModifier::all) == 0;
}

std::optional<CaptureShortcut> CaptureShortcut::fromKeyEvent(const QKeyEvent& event)
{
    const auto key = keyForEvent(event);
    if (!key)
        return std::nullopt;
    QString label = keyLabelFor(key->keyCode);
    if (label.isEmpty())
        label = QStringLiteral("?");
    CaptureShortcut shortcut { key->keyCode, carbonModifierMask(event.modifiers()), label };
    if (!shortcut.isValid())
        return std::nullopt;
    return shortcut;
}

QByteArray CaptureShortcut::toJson() const
{
    const QJsonObject object {
        { QStringLiteral("keyCode"), double(keyCode) },
        { QStringLiteral("carbonModifiers"), double(carbonModifiers) },
        { QStringLiteral("keyLabel"), keyLabel },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

namespace {
std::optional<quint32> readUInt32(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number < 0 || number > 4294967295.0 || std::floor(number) != number)
        return std::nullopt;
    return quint32(number);
}
}

std::optional<CaptureShortcut> CaptureShortcut::fromJson(const QByteArray& json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = readUInt32(object, QStringLiteral("keyCode"));
    const auto modifiers = readUInt32(object, QStringLiteral("carbonModifiers"));
    const QJsonValue label = object.value(QStringLiteral("keyLabel"));
    if (!keyCode || !modifiers || !label.isString())
        return std::nullopt;
    CaptureShortcut shortcut { *keyCode, *modifiers & CarbonModifier::all, label.toString() };
    if (!shortcut.isValid())
        return std::nullopt;
    return shortcut;
}

CaptureShortcut CaptureShortcut::defaultFor(CaptureAction action)
{
    const quint32 modifiers = CarbonModifier::command | CarbonModifier::shift;
    switch (action) {
    case CaptureAction::selection:
        return { 22, modifiers, QStringLiteral("6") };
    case CaptureAction::window:
        return { 26, modifiers, QStringLiteral("7") };
    case CaptureAction::fullScreen:
        break;
    }
    return { 28, modifiers, QStringLiteral("8") };
}

QString shortcutDefaultsKey(CaptureAction action)
{
    return QStringLiteral("captureShortcut.") + rawValue(action);
}
