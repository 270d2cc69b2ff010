#include "screens/RealShots.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

// The frozen held-out split: its truth must be sound, since only its figures are ever looked at.
// A prompt, a pod name, a device path or git's "modified:" planted as a secret would turn a false
// detection there into a find.
TEST(RealShots, TheHeldOutSplitPlantsOnlySecretsInsideItsShots)
{
    const QStringList layouts = realShotLayouts(QStringLiteral("heldout"));
    ASSERT_GE(layouts.size(), 48);
    const QRegularExpression harmless(QStringLiteral(R"(^[a-z]+@[a-z0-9-]+(:|$)|/dev/|modified:|-[0-9a-f]{9}-[a-z0-9]{5}\b)"));
    std::map<QString, int> shotsPer;
    int planted = 0;
    for (const QString& layout : layouts) {
        const RealShot real = loadRealShot(layout);
        const std::string name = QFileInfo(layout).fileName().toStdString();
        ASSERT_FALSE(real.shot.image.isNull()) << name;
        ++shotsPer[real.renderer];
        EXPECT_GE(real.shot.planted.size(), 3) << name;
        planted += int(real.shot.planted.size());
        for (const PlantedItem& item : real.shot.planted) {
            EXPECT_TRUE(real.shot.image.rect().contains(item.box)) << name << ' ' << item.text.toStdString();
            for (const QRect& glyph : item.glyphs)
                EXPECT_TRUE(item.box.contains(glyph)) << name << ' ' << item.text.toStdString();
            EXPECT_FALSE(harmless.match(item.text).hasMatch()) << name << ' ' << item.text.toStdString();
        }
        // A list's bullet is no part of the phone number after it: each of the 13 is planted.
        if (layout.contains(QStringLiteral("contacts")))
            EXPECT_EQ(std::count_if(real.shot.planted.begin(), real.shot.planted.end(),
                          [](const PlantedItem& item) { return item.kind == RedactionKind::phone; }),
                13)
                << name;
        if (real.renderer == "chromium")
            continue;
        // A window shot: its text starts a border's width (2 px) from the edge, and its prompts are there.
        int left = real.shot.image.width();
        bool prompt = false;
        for (const auto& text : real.shot.texts) {
            left = std::min(left, text.box.left());
            prompt = prompt || text.text.contains(QRegularExpression(QStringLiteral(R"(^[a-z]+@[a-z0-9-]+:~\$)")));
        }
        EXPECT_LE(left, 6) << name; // the border and a bitmap face's side bearing
        EXPECT_TRUE(prompt) << name;
    }
    EXPECT_GE(shotsPer["chromium"], 24);
    EXPECT_GE(shotsPer["xterm"], 12);
    EXPECT_GE(shotsPer["st"], 8);
    EXPECT_GE(planted, 326);
}

TEST(RealShots, TheEvaluationToolGivesOnlyFiguresOnTheHeldOutSplit)
{
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/lumaforge-eval");
    if (!QFileInfo::exists(tool))
        GTEST_SKIP() << "lumaforge-eval is not built";
    // No shot is named so: were a look let through, it would still show nothing.
    for (const char* peek : { "--verbose", "--lines", "--overlay" }) {
        QProcess eval;
        eval.start(tool, { "--set", "real-heldout", "--no-cli", "--only", "no shot has this name", QString::fromLatin1(peek) });
        ASSERT_TRUE(eval.waitForFinished(60000)) << peek;
        EXPECT_EQ(eval.exitCode(), 2) << peek;
        EXPECT_TRUE(eval.readAllStandardError().contains("figures only")) << peek;
        EXPECT_TRUE(eval.readAllStandardOutput().isEmpty()) << peek;
    }
    // Figures of no shot at all: the set is known and its folder found, and nothing is recognised.
    QProcess eval;
    eval.start(tool, { "--set", "real-heldout", "--no-cli", "--only", "no shot has this name" });
    ASSERT_TRUE(eval.waitForFinished(60000));
    EXPECT_EQ(eval.exitCode(), 0) << eval.readAllStandardError().toStdString();
    EXPECT_TRUE(eval.readAllStandardOutput().contains("| all | 0 |"));
}
