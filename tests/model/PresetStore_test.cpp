#include "fakes/FakeSettingsStore.h"
#include "model/PresetStore.h"
#include "model/UuidText.h"
#include "platform/JsonSettingsStore.h"
#include "support/LogCapture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QJsonArray storedArray(const SettingsStore& store)
{
    return QJsonDocument::fromJson(*store.dataValue(QStringLiteral("savedPresets"))).array();
}

BeautifySettings withPadding(double padding)
{
    BeautifySettings s;
    s.padding = padding;
    return s;
}

}

TEST(StylePreset, JsonFormAndStrictDecoding)
{
    const StylePreset preset { QUuid::createUuid(), QStringLiteral("Launch"), withPadding(3) };
    const QJsonObject json = preset.toJson();
    const QString id = json["id"].toString();
    EXPECT_EQ(id, id.toUpper());
    EXPECT_EQ(id.size(), 36);
    EXPECT_EQ(StylePreset::fromJson(json), preset);

    // Lower-case identifiers from elsewhere still read as the same preset.
    QJsonObject lower = json;
    lower["id"] = id.toLower();
    EXPECT_EQ(StylePreset::fromJson(lower)->id, preset.id);

    for (const char* key : { "id", "name", "settings" }) {
        QJsonObject missing = json;
        missing.remove(QLatin1String(key));
        EXPECT_FALSE(StylePreset::fromJson(missing)) << key;
    }
    QJsonObject braces = json;
    braces["id"] = QLatin1Char('{') + id + QLatin1Char('}');
    EXPECT_FALSE(StylePreset::fromJson(braces));
}

TEST(PresetStore, AddAppendsOrReplacesByExactName)
{
    FakeSettingsStore settings;
    PresetStore store(settings);
    store.add(QStringLiteral("Blog"), withPadding(1));
    store.add(QStringLiteral("Docs"), withPadding(2));
    const QUuid blogId = store.presets()[0].id;

    store.add(QStringLiteral("Blog"), withPadding(9));
    ASSERT_EQ(store.presets().size(), 2);
    EXPECT_EQ(store.presets()[0].id, blogId);
    EXPECT_EQ(store.presets()[0].settings.padding, 9);

    store.add(QStringLiteral("blog"), withPadding(4)); // case matters
    EXPECT_EQ(store.presets().size(), 3);

    // What was stored decodes back to the same list, in order.
    PresetStore reloaded(settings);
    reloaded.load();
    EXPECT_EQ(reloaded.presets(), store.presets());
}

TEST(PresetStore, OneBadPresetNeverCostsTheOthers)
{
    FakeSettingsStore settings;
    const StylePreset good1 { QUuid::createUuid(), QStringLiteral("One"), withPadding(1) };
    const StylePreset good2 { QUuid::createUuid(), QStringLiteral("Two"), withPadding(2) };
    QJsonObject bad = good1.toJson();
    bad.remove(QStringLiteral("settings"));
    bad["name"] = QStringLiteral("Broken");
    bad["id"] = uuidString(QUuid::createUuid());
    settings.setValue(QStringLiteral("savedPresets"),
        QJsonDocument(QJsonArray { good1.toJson(), bad, good2.toJson() }).toJson());

    LogCapture log;
    PresetStore store(settings);
    store.load();
    ASSERT_EQ(store.presets().size(), 2);
    EXPECT_EQ(store.presets()[0], good1);
    EXPECT_EQ(store.presets()[1], good2);
    EXPECT_EQ(log.lines.size(), 1);

    // Saving keeps the element it could not read, unchanged and in its place.
    store.add(QStringLiteral("Three"), withPadding(3));
    const QJsonArray stored = storedArray(settings);
    ASSERT_EQ(stored.size(), 4);
    EXPECT_EQ(stored[1], bad);
    EXPECT_EQ(stored[3].toObject().value(QStringLiteral("name")), QStringLiteral("Three"));

    // Saving under its name replaces it there (with its id), rather than adding a second "Broken".
    store.add(QStringLiteral("Broken"), withPadding(4));
    const QJsonArray replaced = storedArray(settings);
    ASSERT_EQ(replaced.size(), 4);
    ASSERT_EQ(store.presets().size(), 4);
    EXPECT_EQ(store.presets()[1].name, QStringLiteral("Broken"));
    EXPECT_EQ(store.presets()[1].id, *uuidFromString(bad["id"].toString()));
    PresetStore reread(settings);
    reread.load();
    EXPECT_EQ(reread.presets(), store.presets());
    EXPECT_EQ(log.lines.size(), 1);
}

TEST(PresetStore, UnreadableStoredValuesAreKeptAside)
{
    struct Case {
        const char* what;
        QVariant value;
    };
    const QList<Case> cases {
        { "string instead of data", QString::fromUtf8("[]") },
        { "truncated JSON", QByteArray(R"([{"id": "A)") },
        { "object instead of array", QByteArray("{}") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSettingsStore settings;
        settings.setValue(QStringLiteral("savedPresets"), c.value);
        LogCapture log;
        PresetStore store(settings);
        store.load();
        EXPECT_TRUE(store.presets().isEmpty());
        EXPECT_EQ(log.count(QStringLiteral("unreadable")), 1);

        store.add(QStringLiteral("New"), withPadding(1));
        EXPECT_EQ(storedArray(settings).size(), 1);
        // The old value survives under a side key.
        bool kept = false;
        for (const QString& line : log.lines)
            kept |= line.contains(QStringLiteral("savedPresets.unreadable-"));
        EXPECT_TRUE(kept);
    }
}

TEST(PresetStore, SurvivesARestartOnDisk)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/settings.json");
    QUuid id;
    {
        JsonSettingsStore settings(path);
        PresetStore store(settings);
        store.add(QStringLiteral("Keep me"), withPadding(11));
        id = store.presets()[0].id;
    }
    JsonSettingsStore settings(path);
    PresetStore store(settings);
    store.load();
    ASSERT_EQ(store.presets().size(), 1);
    EXPECT_EQ(store.presets()[0].name, "Keep me");
    EXPECT_EQ(store.presetForKey(uuidString(id))->settings.padding, 11);
    EXPECT_FALSE(store.presetForKey(QStringLiteral("auto")));
}

// Presets that cannot be read are left out of the menu; the user hears of them once, and again
// only when what cannot be read changes.
TEST(PresetStore, UnreadablePresetsAreToldOnceUntilTheyChange)
{
    FakeSettingsStore settings;
    const StylePreset good { QUuid::createUuid(), QStringLiteral("Good"), withPadding(1) };
    QJsonObject bad = good.toJson();
    bad.remove(QStringLiteral("settings"));
    const auto store = [&](const QJsonArray& array) {
        settings.setValue(QStringLiteral("savedPresets"), QJsonDocument(array).toJson());
        auto presets = std::make_unique<PresetStore>(settings);
        presets->load();
        return presets;
    };

    auto first = store({ good.toJson(), bad, bad });
    EXPECT_EQ(first->unreadable().count, 2);
    EXPECT_FALSE(first->unreadable().wholeList);
    EXPECT_TRUE(first->takeUntoldUnreadable());
    EXPECT_FALSE(first->takeUntoldUnreadable());
    // Saving keeps them, and the next start has nothing new to tell.
    first->add(QStringLiteral("New"), withPadding(2));
    PresetStore restarted(settings);
    restarted.load();
    EXPECT_EQ(restarted.unreadable().count, 2);
    EXPECT_FALSE(restarted.takeUntoldUnreadable());

    QJsonObject otherBad = bad;
    otherBad["name"] = QStringLiteral("Other");
    EXPECT_TRUE(store({ good.toJson(), otherBad })->takeUntoldUnreadable());
    EXPECT_FALSE(store({ good.toJson() })->takeUntoldUnreadable());

    settings.setValue(QStringLiteral("savedPresets"), QStringLiteral("not data"));
    PresetStore whole(settings);
    whole.load();
    EXPECT_TRUE(whole.unreadable().wholeList);
    EXPECT_TRUE(whole.takeUntoldUnreadable());
}
