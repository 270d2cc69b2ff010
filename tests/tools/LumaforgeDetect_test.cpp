#include "screens/ScreenshotGenerator.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString toolPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/lumaforge-detect");
}

} // namespace

TEST(LumaforgeDetect, WritesPixelBoxesPerImageAndReportsUnreadableFiles)
{
    if (!QFileInfo::exists(toolPath()))
        GTEST_SKIP() << "lumaforge-detect is not built";
    QTemporaryDir dir;
    ShotRecipe recipe;
    recipe.layout = ShotLayout::settings;
    recipe.theme = ShotTheme::dark;
    recipe.seed = 3;
    const GeneratedShot shot = generateShot(recipe);
    const QString png = dir.filePath("form.png");
    ASSERT_TRUE(shot.image.save(png));
    QFile broken(dir.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\x89PNG not really");
    broken.close();

    QProcess tool;
    tool.start(toolPath(), { "--out", dir.filePath("out"), png, broken.fileName() });
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1); // one file could not be read
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains("broken.png"));

    QFile json(dir.filePath("out/form.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(json.readAll()).object();
    EXPECT_GT(root["seconds"].toDouble(), 0.0);
    // The pixel boxes, back in fractions, score like the detector's own result.
    DetectionResult result;
    for (const QJsonValue& v : root["detections"].toArray()) {
        const QJsonObject d = v.toObject();
        const std::optional<RedactionKind> kind = fromRaw<RedactionKind>(d["kind"].toString());
        ASSERT_TRUE(kind.has_value());
        const QSizeF size = shot.image.size();
        result[*kind].append(QRectF(d["x"].toDouble() / size.width(), d["y"].toDouble() / size.height(),
            d["w"].toDouble() / size.width(), d["h"].toDouble() / size.height()));
    }
    const DetectionScore score = scoreDetections(shot, result);
    EXPECT_GE(score.found.size(), 5);
    EXPECT_GE(score.found.size(), 0.9 * shot.planted.size());
    EXPECT_TRUE(score.falseDetections.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out/broken.json")));
}

// The truth of a generated shot must stand over ink, or every figure measured with it is wrong.
TEST(ScreenshotGenerator, PlantsItemsOverTheirOwnInkAndRepeatsItself)
{
    for (const ShotRecipe& recipe : standardShotRecipes()) {
        const GeneratedShot shot = generateShot(recipe);
        EXPECT_FALSE(shot.planted.isEmpty()) << shot.name.toStdString();
        for (const PlantedItem& item : shot.planted) {
            ASSERT_TRUE(shot.image.rect().contains(item.box)) << shot.name.toStdString();
            // The item's box holds pixels of at least two clearly different colours.
            int lo = 255, hi = 0;
            for (int y = item.box.top(); y <= item.box.bottom(); ++y)
                for (int x = item.box.left(); x <= item.box.right(); ++x) {
                    const int v = qGray(shot.image.pixel(x, y));
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            EXPECT_GT(hi - lo, 40) << shot.name.toStdString() << ' ' << item.text.toStdString();
        }
    }
    const ShotRecipe dense = denseShotRecipe();
    const GeneratedShot a = generateShot(dense), b = generateShot(dense);
    EXPECT_EQ(a.image.size(), QSize(2880, 1800));
    EXPECT_EQ(a.image, b.image);
    bool email = false, key = false;
    for (const PlantedItem& item : a.planted) {
        email = email || item.kind == RedactionKind::email;
        key = key || item.kind == RedactionKind::apiKey;
    }
    EXPECT_TRUE(email && key);
}

// The held-out set must stay unseen: no seed or font of it is in the tuning set. Varied shots
// plant their items over their own ink too, and their text spans small to large glyphs.
TEST(ScreenshotGenerator, TheEvaluationSetSharesNoSeedOrFontWithTheTuningSetAndVariesItsText)
{
    const QList<ShotRecipe> tuning = tuningShotRecipes(), evaluation = evaluationShotRecipes();
    QSet<quint32> tuningSeeds;
    QSet<QString> tuningFonts;
    QSet<ShotLayout> tuningLayouts;
    for (const ShotRecipe& r : tuning) {
        tuningSeeds.insert(r.seed);
        tuningFonts << r.family << r.mono;
        tuningLayouts.insert(r.layout);
    }
    bool newLayout = false;
    for (const ShotRecipe& r : evaluation) {
        EXPECT_FALSE(tuningSeeds.contains(r.seed)) << r.seed;
        EXPECT_FALSE(tuningFonts.contains(r.family)) << r.family.toStdString();
        EXPECT_FALSE(tuningFonts.contains(r.mono)) << r.mono.toStdString();
        newLayout = newLayout || !tuningLayouts.contains(r.layout);
    }
    EXPECT_TRUE(newLayout);

    int smallest = 1000, largest = 0;
    for (qsizetype i = 0; i < evaluation.size(); i += 4) {
        const GeneratedShot shot = generateShot(evaluation[i]);
        EXPECT_FALSE(shot.planted.isEmpty()) << shot.name.toStdString();
        for (const PlantedItem& item : shot.planted) {
            ASSERT_TRUE(shot.image.rect().contains(item.box)) << shot.name.toStdString();
            ASSERT_FALSE(item.glyphs.isEmpty());
            for (const QRect& glyph : item.glyphs)
                EXPECT_TRUE(item.box.adjusted(-2, -2, 2, 2).contains(glyph)) << shot.name.toStdString() << ' ' << item.text.toStdString();
            smallest = std::min(smallest, item.box.height());
            largest = std::max(largest, item.box.height());
        }
    }
    EXPECT_LE(smallest, 12);
    EXPECT_GE(largest, 32);
}
