// The window adapters on a real X server (no window manager runs, so moves fall back to the
// drag area's own handling, which is what a desktop without interactive moves gets).
#include "app/WindowConfigurator.h"
#include "app/WindowDragArea.h"

#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>
#include <gtest/gtest.h>

namespace {
struct EditorLikeWindow {
    EditorLikeWindow()
    {
        auto* column = new QVBoxLayout(&window);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        toolbar = new WindowDragArea;
        toolbar->setFixedHeight(36);
        auto* row = new QHBoxLayout(toolbar);
        button = new QPushButton(QStringLiteral("Undo"));
        row->addWidget(button);
        row->addStretch();
        configurator = new WindowConfigurator(36, toolbar);
        content = new QWidget;
        content->setMinimumSize(400, 300);
        column->addWidget(toolbar);
        column->addWidget(content);
    }

    QWidget window;
    WindowDragArea* toolbar;
    QPushButton* button;
    WindowConfigurator* configurator;
    QWidget* content;
};

bool drag(QPoint from, QPoint to)
{
    const auto at = [](QPoint p) { return QStringList { QString::number(p.x()), QString::number(p.y()) }; };
    return X11Probe::xdotool(QStringList { QStringLiteral("mousemove") } + at(from))
        && X11Probe::xdotool({ QStringLiteral("mousedown"), QStringLiteral("1") })
        && X11Probe::xdotool(QStringList { QStringLiteral("mousemove") } + at((from + to) / 2))
        && X11Probe::xdotool(QStringList { QStringLiteral("mousemove") } + at(to))
        && X11Probe::xdotool({ QStringLiteral("mouseup"), QStringLiteral("1") });
}
}

TEST(WindowDragArea, PressingTheToolbarDragsTheWindow)
{
    EditorLikeWindow w;
    w.window.setGeometry(100, 100, 600, 400);
    w.window.show();
    ASSERT_TRUE(waitUntil([&] { return w.window.windowHandle()->isExposed(); }));
    const QPoint start = w.window.pos();
    const QPoint grip = w.toolbar->mapToGlobal(QPoint(w.toolbar->width() - 40, 18));
    ASSERT_TRUE(drag(grip, grip + QPoint(150, 80)));
    EXPECT_TRUE(waitUntil([&] { return w.window.pos() == start + QPoint(150, 80); }, 3000))
        << w.window.pos().x() << "," << w.window.pos().y();
    EXPECT_FALSE(w.toolbar->lastMoveWasSystemMove());
}

TEST(WindowDragArea, ControlsInsideTheToolbarKeepTheirClicks)
{
    EditorLikeWindow w;
    w.window.setGeometry(120, 120, 600, 400);
    w.window.show();
    ASSERT_TRUE(waitUntil([&] { return w.window.windowHandle()->isExposed(); }));
    int clicks = 0;
    QObject::connect(w.button, &QPushButton::clicked, [&] { ++clicks; });
    const QPoint start = w.window.pos();
    const QPoint onButton = w.button->mapToGlobal(w.button->rect().center());
    ASSERT_TRUE(X11Probe::xdotool({ QStringLiteral("mousemove"), QString::number(onButton.x()),
        QString::number(onButton.y()), QStringLiteral("click"), QStringLiteral("1") }));
    EXPECT_TRUE(waitUntil([&] { return clicks == 1; }, 2000));
    EXPECT_EQ(w.window.pos(), start);
}

TEST(WindowConfigurator, WindowTakesItsMinimumFromItsContent)
{
    EditorLikeWindow w;
    w.window.setWindowFlag(Qt::FramelessWindowHint);
    w.window.show();
    EXPECT_EQ(w.configurator->configuredWindow(), &w.window);
    const QSize minimum = w.window.minimumSize();
    EXPECT_EQ(minimum, w.window.layout()->totalMinimumSize());
    EXPECT_EQ(minimum.width(), 400);
    EXPECT_GE(minimum.height(), 336);
    EXPECT_FALSE(w.window.windowFlags().testFlag(Qt::FramelessWindowHint)); // decorations kept

    w.content->setMinimumSize(500, 320);
    EXPECT_TRUE(waitUntil([&] { return w.window.minimumSize() == minimum + QSize(100, 20); }, 2000));
}

TEST(WindowConfigurator, MovingToAnotherWindowConfiguresThatOneAndLeavesTheFirst)
{
    EditorLikeWindow first;
    first.window.show();
    const QSize firstMinimum = first.window.minimumSize();
    ASSERT_EQ(firstMinimum.width(), 400);

    QWidget second;
    auto* column = new QVBoxLayout(&second);
    auto* big = new QWidget;
    big->setMinimumSize(700, 500);
    column->addWidget(big);
    second.show();
    first.configurator->setParent(&second);
    first.configurator->show();
    EXPECT_EQ(first.configurator->configuredWindow(), &second);
    EXPECT_GE(second.minimumWidth(), 700);
    EXPECT_EQ(first.window.minimumSize(), firstMinimum);

    // A window with nothing in it still keeps room for the toolbar.
    QWidget bare;
    auto* lone = new WindowConfigurator(36, &bare);
    bare.show();
    EXPECT_EQ(lone->configuredWindow(), &bare);
    EXPECT_GE(bare.minimumHeight(), 36);
}
