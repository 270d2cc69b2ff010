#include "model/BeautifySettings.h"

#include <QJsonArray>

const BeautifySettings& BeautifySettings::defaults()
{
    static const BeautifySettings value;
    return value;
}

bool BeautifySettings::operator==(const BeautifySettings& o) const
{
    return padding == o.padding && radius == o.radius && shadow == o.shadow && background == o.background
        && windowFrame == o.windowFrame && showURL == o.showURL && urlText == o.urlText && aspect == o.aspect
        && balance == o.balance && shotOffset.width() == o.shotOffset.width()
        && shotOffset.height() == o.shotOffset.height() && removeBackground == o.removeBackground
        && flipH == o.flipH && flipV == o.flipV && cropRect.x() == o.cropRect.x() && cropRect.y() == o.cropRect.y()
        && cropRect.width() == o.cropRect.width() && cropRect.height() == o.cropRect.height()
        && watermark == o.watermark && redactKinds == o.redactKinds && redactStyle == o.redactStyle
        && redactIntensity == o.redactIntensity;
}

QJsonObject BeautifySettings::toJson() const
{
    QJsonArray kinds;
    for (RedactionKind kind : redactKinds)
        kinds.append(rawValue(kind));
    return QJsonObject {
        { QStringLiteral("padding"), padding },
        { QStringLiteral("radius"), radius },
        { QStringLiteral("shadow"), shadow },
        { QStringLiteral("background"), rawValue(background) },
        { QStringLiteral("windowFrame"), rawValue(windowFrame) },
        { QStringLiteral("showURL"), showURL },
        { QStringLiteral("urlText"), urlText },
        { QStringLiteral("aspect"), rawValue(aspect) },
        { QStringLiteral("balance"), balance },
        { QStringLiteral("shotOffset"), QJsonArray { shotOffset.width(), shotOffset.height() } },
        { QStringLiteral("removeBackground"), removeBackground },
        { QStringLiteral("flipH"), flipH },
        { QStringLiteral("flipV"), flipV },
        { QStringLiteral("cropRect"),
            QJsonArray { QJsonArray { cropRect.x(), cropRect.y() }, QJsonArray { cropRect.width(), cropRect.height() } } },
        { QStringLiteral("watermark"), watermark },
        { QStringLiteral("redactKinds"), kinds },
        { QStringLiteral("redactStyle"), rawValue(redactStyle) },
        { QStringLiteral("redactIntensity"), redactIntensity },
    };
}

namespace {

// A decoding step that failed; carries the reason up to fromJson.
struct DecodeError {
    QString reason;
};

class Reader {
public:
    explicit Reader(const QJsonObject& object)
        : m_object(object)
    {
    }

    QJsonValue required(const char* key) const
    {
        const auto it = m_object.constFind(QLatin1String(key));
        if (it == m_object.constEnd())
            throw DecodeError { QStringLiteral("missing key \"%1\"").arg(QLatin1String(key)) };
        return *it;
    }

    double number(const char* key) const { return asNumber(required(key), key); }

    bool boolean(const char* key) const
    {
        const QJsonValue v = required(key);
        if (!v.isBool())
            throw DecodeError { QStringLiteral("\"%1\" is not a boolean").arg(QLatin1String(key)) };
        return v.toBool();
    }

    QString string(const char* key) const { return asString(required(key), key); }

    template <typename E>
    E enumeration(const char* key) const
    {
        return asEnum<E>(required(key), key);
    }

    // A JSON array of at least two numbers (a size or a point).
    std::pair<double, double> pair(const QJsonValue& v, const char* key) const
    {
        if (!v.isArray() || v.toArray().size() < 2)
            throw DecodeError { QStringLiteral("\"%1\" is not a pair of numbers").arg(QLatin1String(key)) };
        const QJsonArray a = v.toArray();
        return { asNumber(a.at(0), key), asNumber(a.at(1), key) };
    }

    static double asNumber(const QJsonValue& v, const char* key)
    {
        if (!v.isDouble())
            throw DecodeError { QStringLiteral("\"%1\" is not a number").arg(QLatin1String(key)) };
        return v.toDouble();
    }

    static QString asString(const QJsonValue& v, const char* key)
    {
        if (!v.isString())
            throw DecodeError { QStringLiteral("\"%1\" is not a string").arg(QLatin1String(key)) };
        return v.toString();
    }

    template <typename E>
    static E asEnum(const QJsonValue& v, const char* key)
    {
        const QString raw = asString(v, key);
        const auto value = fromRaw<E>(raw);
        if (!value)
            throw DecodeError { QStringLiteral("\"%1\" holds unknown value \"%2\"").arg(QLatin1String(key), raw) };
        return *value;
    }

private:
    const QJsonObject& m_object;
};

}

std::optional<BeautifySettings> BeautifySettings::fromJson(const QJsonValue& json, QString* error)
{
    if (!json.isObject()) {
        if (error)
            *error = QStringLiteral("settings are not a JSON object");
        return std::nullopt;
    }
    const QJsonObject object = json.toObject();
    const Reader r(object);
    try {
        BeautifySettings s;
        s.padding = r.number("padding");
        s.radius = r.number("radius");
        s.shadow = r.number("shadow");
        s.background = r.enumeration<BackgroundPreset>("background");
        s.windowFrame = r.enumeration<WindowFrameStyle>("windowFrame");
        s.showURL = r.boolean("showURL");
        s.urlText = r.string("urlText");
        s.aspect = r.enumeration<AspectRatioOption>("aspect");
        s.balance = r.boolean("balance");
        const auto [w, h] = r.pair(r.required("shotOffset"), "shotOffset");
        s.shotOffset = QSizeF(w, h);
        s.removeBackground = r.boolean("removeBackground");
        s.flipH = r.boolean("flipH");
        s.flipV = r.boolean("flipV");
        const QJsonValue crop = r.required("cropRect");
        if (!crop.isArray() || crop.toArray().size() < 2)
            throw DecodeError { QStringLiteral("\"cropRect\" is not an origin and a size") };
        const auto [x, y] = r.pair(crop.toArray().at(0), "cropRect");
        const auto [cw, ch] = r.pair(crop.toArray().at(1), "cropRect");
        s.cropRect = QRectF(x, y, cw, ch);
        s.watermark = r.boolean("watermark");
        const QJsonValue kinds = r.required("redactKinds");
        if (!kinds.isArray())
            throw DecodeError { QStringLiteral("\"redactKinds\" is not an array") };
        for (const QJsonValue& kind : kinds.toArray())
            s.redactKinds.insert(Reader::asEnum<RedactionKind>(kind, "redactKinds"));
        s.redactStyle = r.enumeration<RedactStyle>("redactStyle");
        s.redactIntensity = r.number("redactIntensity");
        return s;
    } catch (const DecodeError& e) {
        if (error)
            *error = e.reason;
        return std::nullopt;
    }
}
