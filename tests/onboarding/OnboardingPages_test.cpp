#include "onboarding/BrandHeadline.h"
#include "onboarding/CenteredText.h"
#include "onboarding/KeyCap.h"
#include "onboarding/KeystrokeHero.h"
#include "onboarding/OnboardingView.h"
#include "onboarding/WelcomeStep.h"
#include "settings/ShortcutsTab.h"

#include <QMap>
#include <QPainter>
#include <gtest/gtest.h>

// Every key the onboarding names is the one the Shortcuts tab of the settings shows for the same
// desktop (on Xfce and the generic set Print takes the whole screen, Shift+Print an area).
TEST(OnboardingPages, TheKeysNamedAgreeWithTheShortcutsTabOnEveryDesktop)
{
    for (const char* desktop : { "", "XFCE", "X-Cinnamon", "GNOME", "ubuntu:GNOME", "KDE" }) {
        SCOPED_TRACE(desktop);
        const DesktopScreenshotKeys keys = DesktopScreenshotKeys::forDesktop(desktop);
        QMap<QString, QString> tab;
        for (const auto& [title, text] : ShortcutsTab::desktopRows(keys))
            tab[title] = text;
        const QString area = tab.value("Capture selected area");
        ASSERT_FALSE(area.isEmpty());

        OnboardingView onboarding({}, nullptr, keys);
        auto* capture = onboarding.currentPage();
        auto* hero = capture->findChild<KeystrokeHero*>();
        ASSERT_TRUE(hero);
        EXPECT_EQ(hero->keys().join('+'), area);
        EXPECT_EQ(hero->miniKeys().join('+'), tab.value("Screenshot tool"));
        onboarding.advance();
        onboarding.finishTransition();
        onboarding.advance();
        onboarding.finishTransition();
        auto* welcome = qobject_cast<WelcomeStep*>(onboarding.currentPage());
        ASSERT_TRUE(welcome);
        EXPECT_EQ(welcome->chips().first().label, area + " to snap");
        auto* thanks = welcome->findChild<CenteredText*>("welcomeText");
        ASSERT_TRUE(thanks);
        EXPECT_TRUE(thanks->text().contains("Hit " + area + " whenever")) << thanks->text().toStdString();
    }
    // What each desktop's set says in words.
    EXPECT_EQ(DesktopScreenshotKeys::forDesktop("XFCE").text(SystemCapture::fullScreen), "Print");
    EXPECT_EQ(DesktopScreenshotKeys::forDesktop("GNOME").text(SystemCapture::selection), "Print");
    EXPECT_EQ(DesktopScreenshotKeys::forDesktop("KDE").text(SystemCapture::selection), "Shift+Super+Print");
}

TEST(OnboardingPages, KeyCapsShowTheirSchemeAndSide)
{
    for (ColorScheme scheme : { ColorScheme::dark, ColorScheme::light }) {
        QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        const PremiumKey key { QStringLiteral("4"), scheme };
        ASSERT_EQ(key.size(), QSizeF(62, 62));
        key.paint(p, QPointF(20, 20));
        p.end();
        const bool dark = scheme == ColorScheme::dark;
        // Low on the face, away from the label: the lower gradient colour.
        const QColor face = image.pixelColor(30, 76);
        const QColor side = image.pixelColor(51, 84); // the 4-point side under the top
        if (dark) {
            EXPECT_LT(face.lightnessF(), 0.3);
            EXPECT_LT(side.lightnessF(), face.lightnessF());
        } else {
            EXPECT_GT(face.lightnessF(), 0.9);
            EXPECT_LT(side.lightnessF(), 0.85);
            EXPECT_GT(face.blue(), face.green()) << "white to lavender";
        }
        // The label's strokes: white on dark caps, dark on light ones.
        int labelPixels = 0;
        for (int y = 35; y < 67; ++y) {
            for (int x = 38; x < 64; ++x) {
                const QColor c = image.pixelColor(x, y);
                labelPixels += dark ? c.lightnessF() > 0.9 : c.lightnessF() < 0.3;
            }
        }
        EXPECT_GT(labelPixels, 20) << (dark ? "dark" : "light");
    }
    // Long labels widen the cap instead of spilling out of it.
    EXPECT_GT((PremiumKey { QStringLiteral("Print"), ColorScheme::light }.size().width()), 62);
    EXPECT_EQ((MiniKey { QStringLiteral("5"), ColorScheme::light }.size()), QSizeF(24, 24));
    EXPECT_EQ(keyCapLabels(QStringLiteral("Alt+Print")), (QStringList { "Alt", "Print" }));
}

TEST(OnboardingPages, TextsShowTheLinuxKeysAndWrapCentred)
{
    KeystrokeHero hero(DesktopScreenshotKeys::forDesktop("XFCE"));
    EXPECT_EQ(hero.keys(), (QStringList { "Shift", "Print" }));
    EXPECT_EQ(hero.miniKeys(), QStringList { "Print" });
    WelcomeStep welcome(WelcomeStep::defaultChips(DesktopScreenshotKeys::forDesktop("XFCE")));
    EXPECT_EQ(welcome.chips().size(), 3);
    EXPECT_EQ(welcome.chips().first().label, "Shift+Print to snap");
    EXPECT_EQ(welcome.chips().first().icon, "camera.viewfinder");
    EXPECT_EQ(welcome.confetti(), 0) << "nothing fires before the page is shown";

    BrandHeadline headline(QStringLiteral("Snap it."),
        QStringLiteral("A subtitle long enough to need more than one line when it is held to four hundred and eighty "
                       "points, so it wraps and every line stays centred."));
    const QStringList lines = headline.subtitle()->lines(900);
    EXPECT_GT(lines.size(), 1);
    const QFontMetricsF metrics(headline.subtitle()->textFont());
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), 480.5) << line.toStdString();
    headline.resize(900, headline.heightForWidth(900));
    const QImage image = headline.grab().toImage();
    // Ink is balanced about the middle of a wide widget.
    int left = 0, right = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0 && qGray(image.pixel(x, y)) < 200)
                (x < 450 ? left : right) += 1;
        }
    }
    EXPECT_NEAR(double(left) / std::max(1, right), 1.0, 0.25);
}
