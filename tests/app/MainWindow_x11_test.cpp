// Bringing the main window forward on a real X server, where the tray popup and the toast carry
// the same title as the main window.
#include "AppStateKit.h"
#include "app/MainWindow.h"
#include "support/Wait.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Counts the times a window became the active one.
struct ActivationCounter : QObject {
    int activations = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate)
            ++activations;
        return false;
    }
};

struct MainWindowX11 : AppStateKit {
    void SetUp() override
    {
        settings.setValue("hasCompletedOnboarding", true);
        makeApp([](const QImage&, QObject*, std::function<void(DetectionResult)> done) { done({}); },
            [](const EditorDocument&) { return filledImage({ 10, 10 }, Qt::gray); });
    }
};

TEST_F(MainWindowX11, BringingForwardActivatesTheMainWindowNotItsNamesakes)
{
    MainWindow window(*app, settings);
    window.resize(500, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // Two more windows titled like the main one, as the tray popup is; one of them active.
    QList<QWidget*> namesakes;
    for (int i = 0; i < 2; ++i) {
        auto* popup = new QLabel(QStringLiteral("popup"));
        popup->setWindowTitle(QStringLiteral("Lumaforge"));
        popup->setAttribute(Qt::WA_DeleteOnClose);
        popup->resize(200, 200);
        popup->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
        namesakes.append(popup);
    }
    namesakes.first()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(namesakes.first()));
    ActivationCounter counter;
    for (QWidget* popup : namesakes)
        popup->installEventFilter(&counter);

    window.bringForward();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &window; }, 2000));
    spin(300); // the later raises
    EXPECT_EQ(QApplication::activeWindow(), &window);
    EXPECT_EQ(counter.activations, 0);
    qDeleteAll(namesakes);
}

}
