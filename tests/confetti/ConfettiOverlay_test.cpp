#include "confetti/ConfettiOverlay.h"

#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
struct OverlayScene {
    double seconds = 50;
    QWidget host;
    QWidget* anchor = new QWidget(&host);
    ConfettiCannon* cannon = nullptr;

    OverlayScene()
    {
        host.resize(940, 700);
        anchor->setGeometry(405, 300, 130, 130);
        ConfettiOptions o;
        o.num = 60;
        o.colors = { Qt::red };
        o.confettiSize = 8;
        o.rainHeight = 500;
        o.radius = 340;
        cannon = confettiCannon(
            anchor, 0, o, &host, [this] { return seconds; }, [] { return 0.999; });
    }
};
}

TEST(ConfettiOverlay, PaintsTheBurstOverTheHostWithoutTakingClicks)
{
    OverlayScene scene;
    auto* overlay = scene.host.findChild<ConfettiOverlay*>();
    ASSERT_TRUE(overlay);
    EXPECT_TRUE(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));

    scene.cannon->setTrigger(1);
    EXPECT_EQ(scene.cannon->firedCount(), 0) << "the anchor has not appeared yet";
    scene.host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scene.host));
    EXPECT_FALSE(overlay->isVisible()) << "hidden while no burst is on screen";
    scene.cannon->setTrigger(2);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->geometry(), scene.host.rect());
    EXPECT_EQ(overlay->origin(), QPointF(470, 365));

    // Every piece draws the same random choice: angle 120 - tiny, distance ~340, spinning.
    scene.seconds += 1.0;
    scene.cannon->advance();
    const QImage frame = overlay->grab().toImage();
    const double theta = (60 + 60 * 0.999) * M_PI / 180;
    const auto& piece = scene.cannon->activeBursts().front().pieces().front();
    const QPointF at = overlay->origin() + piece.at(1.0, scene.cannon->config()).location;
    EXPECT_NEAR(piece.burstLocation.x(), std::cos(theta) * piece.distance, 1e-9);
    int red = 0;
    for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
            const QColor c = frame.pixelColor(at.toPoint() + QPoint(dx, dy));
            red += c.red() > 150 && c.green() < 80;
        }
    }
    EXPECT_GT(red, 0) << "the piece is drawn where its state says";

    // Resizing the host keeps the overlay covering it; the burst leaves and the overlay hides.
    scene.host.resize(1000, 760);
    EXPECT_EQ(overlay->geometry(), scene.host.rect());
    scene.seconds += 10;
    scene.cannon->advance();
    EXPECT_FALSE(overlay->isVisible());

    // The overlay and its cannon go with the anchor.
    QPointer<ConfettiOverlay> guard(overlay);
    delete scene.anchor;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST(ConfettiOverlay, FollowsItsAnchorIntoTheWindowItIsShownIn)
{
    // A page built on its own and placed into a window later, as pages are.
    auto* page = new QWidget;
    auto* anchor = new QWidget(page);
    anchor->setGeometry(10, 10, 40, 40);
    ConfettiCannon* cannon = confettiCannon(anchor, 0, ConfettiOptions {});
    QWidget window;
    window.resize(600, 500);
    page->setParent(&window);
    page->setGeometry(100, 200, 200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* overlay = window.findChild<ConfettiOverlay*>();
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->parentWidget(), &window);
    EXPECT_TRUE(cannon->hasAppeared());
    cannon->setTrigger(0);
    EXPECT_EQ(cannon->firedCount(), 0) << "the initial value is no change";
    cannon->setTrigger(1);
    EXPECT_EQ(cannon->firedCount(), 1);
    EXPECT_EQ(overlay->geometry(), window.rect());
    EXPECT_EQ(overlay->origin(), QPointF(130, 230));
}

TEST(ConfettiOverlay, PiecesSpinAboutTheirCentreAndOneCorner)
{
    const QSizeF size(10, 10);
    ConfettiPieceState::Frame frame;
    frame.location = QPointF(20, -30);
    // At rest the piece's frame is centred on the origin plus its location.
    const QTransform rest = ConfettiBurst::pieceTransform(size, QPointF(100, 100), frame, 0, 1, 1);
    EXPECT_EQ(rest.map(QPointF(5, 5)), QPointF(120, 70));

    // A quarter turn about the x axis shows the piece edge-on: its height collapses.
    frame.spinX = M_PI / 2;
    const QTransform edgeOn = ConfettiBurst::pieceTransform(size, QPointF(0, 0), frame, 0, 1, 1);
    EXPECT_NEAR(edgeOn.map(QPointF(5, 0)).y(), edgeOn.map(QPointF(5, 10)).y(), 1e-9);

    // A quarter turn in the plane about the top-left corner keeps that corner in place; about the
    // bottom-right corner, that one stays.
    frame.spinX = 0;
    frame.spinZ = M_PI / 2;
    const QTransform topLeft = ConfettiBurst::pieceTransform(size, QPointF(0, 0), frame, 0, 1, 1);
    EXPECT_NEAR(QLineF(topLeft.map(QPointF(0, 0)), QPointF(15, -35)).length(), 0, 1e-9);
    EXPECT_GT(QLineF(topLeft.map(QPointF(10, 10)), QPointF(25, -25)).length(), 5);
    const QTransform bottomRight = ConfettiBurst::pieceTransform(size, QPointF(0, 0), frame, 1, 1, 1);
    EXPECT_NEAR(QLineF(bottomRight.map(QPointF(10, 10)), QPointF(25, -25)).length(), 0, 1e-9);
    EXPECT_GT(QLineF(bottomRight.map(QPointF(0, 0)), QPointF(15, -35)).length(), 5);
}
