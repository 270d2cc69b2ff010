#include "model/AnnotationTool.h"
#include "model/BeautifySettings.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace {
const QStringList kAllKeys { "padding", "radius", "shadow", "background", "windowFrame", "showURL", "urlText", "aspect",
    "balance", "shotOffset", "removeBackground", "flipH", "flipV", "cropRect", "watermark", "redactKinds",
    "redactStyle", "redactIntensity" };
}

TEST(BeautifySettings, DefaultEncodesToTheDocumentedObject)
{
    const QJsonObject json = BeautifySettings::defaults().toJson();
    QStringList keys = json.keys();
    QStringList expected = kAllKeys;
    keys.sort();
    expected.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(json["aspect"].toString(), "Auto");
    EXPECT_EQ(json["background"].toString(), "sunset");
    EXPECT_EQ(json["windowFrame"].toString(), "none");
    EXPECT_EQ(json["redactStyle"].toString(), "blur");
    EXPECT_EQ(json["shotOffset"].toArray(), (QJsonArray { 0, 0 }));
    EXPECT_EQ(json["cropRect"].toArray(), (QJsonArray { QJsonArray { 0, 0 }, QJsonArray { 1, 1 } }));
    EXPECT_EQ(json["redactKinds"].toArray(), QJsonArray());
    EXPECT_EQ(json["padding"].toDouble(), 18);
    EXPECT_EQ(json["redactIntensity"].toDouble(), 0.6);

    const auto decoded = BeautifySettings::fromJson(json);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, BeautifySettings::defaults());
}

TEST(BeautifySettings, EveryFieldRoundTrips)
{
    BeautifySettings s;
    s.padding = 7.25;
    s.radius = 0;
    s.shadow = 1;
    s.background = BackgroundPreset::snow;
    s.windowFrame = WindowFrameStyle::dark;
    s.showURL = true;
    s.urlText = QStringLiteral("https://example.com/ü");
    s.aspect = AspectRatioOption::linkedin;
    s.balance = false;
    s.shotOffset = QSizeF(-0.1, 0.25);
    s.removeBackground = true;
    s.flipH = true;
    s.flipV = true;
    s.cropRect = QRectF(0.1, 0.2, 0.5, 0.6);
    s.watermark = true;
    s.redactKinds = { RedactionKind::apiKey, RedactionKind::email };
    s.redactStyle = RedactStyle::pixelate;
    s.redactIntensity = 0.33;
    const auto back = BeautifySettings::fromJson(s.toJson());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
    EXPECT_FALSE(*back == BeautifySettings::defaults());
}

TEST(BeautifySettings, DecodingIsStrict)
{
    const QJsonObject good = BeautifySettings::defaults().toJson();
    for (const QString& key : kAllKeys) {
        QJsonObject missing = good;
        missing.remove(key);
        QString error;
        EXPECT_FALSE(BeautifySettings::fromJson(missing, &error)) << key.toStdString();
        EXPECT_TRUE(error.contains(key)) << error.toStdString();
    }

    const auto with = [&](const QString& key, const QJsonValue& value) {
        QJsonObject o = good;
        o.insert(key, value);
        return BeautifySettings::fromJson(o);
    };
    EXPECT_FALSE(with("aspect", "auto"));          // raw values are case-sensitive
    EXPECT_TRUE(with("aspect", "Auto"));
    EXPECT_FALSE(with("padding", "18"));           // wrong JSON types
    EXPECT_FALSE(with("balance", 1));
    EXPECT_FALSE(with("background", "rainbow"));
    EXPECT_FALSE(with("redactKinds", QJsonArray { "email", "passport" }));
    EXPECT_FALSE(with("redactKinds", "email"));
    EXPECT_FALSE(with("shotOffset", QJsonArray { 1 }));
    EXPECT_FALSE(with("cropRect", QJsonArray { 0, 0, 1, 1 }));
    EXPECT_TRUE(with("somethingNew", 42));         // unknown keys are ignored
    EXPECT_FALSE(BeautifySettings::fromJson(QJsonArray { good }));
}

TEST(BeautifySettings, EqualityIsExactAndSetLike)
{
    BeautifySettings a, b;
    a.redactKinds = { RedactionKind::ip, RedactionKind::card };
    b.redactKinds.insert(RedactionKind::card);
    b.redactKinds.insert(RedactionKind::ip);
    EXPECT_EQ(a, b);
    b.cropRect = QRectF(0, 0, 1, 1 - 1e-13); // Qt's rectangles compare fuzzily; the style must not
    EXPECT_FALSE(a == b);
}

TEST(StyleEnumerations, RawValuesAndLookups)
{
    EXPECT_EQ(rawValue(AspectRatioOption::automatic), "Auto");
    EXPECT_EQ(rawValue(AspectRatioOption::youtube), "Youtube");
    EXPECT_FALSE(ratio(AspectRatioOption::automatic));
    EXPECT_EQ(ratio(AspectRatioOption::x), ratio(AspectRatioOption::r16_9));
    EXPECT_EQ(ratio(AspectRatioOption::snapchat), ratio(AspectRatioOption::r9_16));
    EXPECT_DOUBLE_EQ(*ratio(AspectRatioOption::linkedin), 1.9138755980861244);
    EXPECT_EQ(allCases<AspectRatioOption>.size(), 14u);
    EXPECT_EQ(allCases<BackgroundPreset>.size(), 66u);
    EXPECT_EQ(rawValue(allCases<BackgroundPreset>.back()), "snow");
    EXPECT_EQ(fromRaw<BackgroundPreset>(QStringLiteral("goldray")), BackgroundPreset::goldray);
    EXPECT_FALSE(fromRaw<BackgroundPreset>(QStringLiteral("Sunset")));

    for (AnnotationTool tool : allCases<AnnotationTool>) {
        const auto kind = annotationKind(tool);
        const bool actsOnCanvas = tool == AnnotationTool::select || tool == AnnotationTool::blur || tool == AnnotationTool::crop;
        EXPECT_EQ(kind.has_value(), !actsOnCanvas) << rawValue(tool).toStdString();
        if (kind) {
            EXPECT_EQ(rawValue(*kind), rawValue(tool));
        }
    }
    EXPECT_EQ(label(AnnotationTool::blur), "Blur an area");
    EXPECT_EQ(symbolName(AnnotationTool::pen), "pencil.tip");
}
