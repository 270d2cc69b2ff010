#include "editor/FontMenuButton.h"
#include "support/Wait.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr char kChildFlag[] = "LUMAFORGE_FONT_MENU_DPI_CHILD";
}

// The screen's font resolution is fixed for a process, so the check runs in a second copy of
// this binary started on a screen of 144 dpi.
TEST(FontMenuButton, ItemsAre14PixelsAtAnyFontResolution)
{
    if (qEnvironmentVariableIsSet(kChildFlag)) {
        ASSERT_EQ(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()), 144);
        QWidget window;
        auto* button = new FontMenuButton(&window);
        button->setFamilies([] { return QStringList { QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif") }; });
        window.show();
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return button->menu()->isVisible(); }));
        int items = 0;
        for (QAction* action : button->menu()->actions()) {
            if (!action->data().isValid())
                continue;
            ++items;
            EXPECT_EQ(QFontInfo(action->font()).pixelSize(), 14) << action->text().toStdString();
        }
        EXPECT_EQ(items, 2);
        button->menu()->hide();
        return;
    }
    // Qt's offscreen screen takes its resolution from a configuration file.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [{"name": "hidpi", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
               R"( "logicalDpi": 144, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildFlag), QStringLiteral("1"));
    // Without scaling the font resolution stays as the screen gives it (as on a desktop that
    // turns Qt's scaling off, or rounds it to whole factors).
    env.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=FontMenuButton.ItemsAre14PixelsAtAnyFontResolution"), QStringLiteral("-platform"),
            QStringLiteral("offscreen:configfile=") + config });
    ASSERT_TRUE(child.waitForFinished(30000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}
