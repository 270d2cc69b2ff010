#include "render/BackgroundMesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {
void expectColor(const MeshColor& c, double r, double g, double b)
{
    EXPECT_NEAR(c.red, r, 1e-12);
    EXPECT_NEAR(c.green, g, 1e-12);
    EXPECT_NEAR(c.blue, b, 1e-12);
}
}

TEST(BackgroundMesh, BlendsKeepFractionsAndInterpolateAlongTheList)
{
    // 0x00 -> 0xFF halfway is 127.5/255, not a rounded 8-bit step.
    expectColor(blendColor(0x000000, 0xFFFFFF, 0.5), 0.5, 0.5, 0.5);
    expectColor(blendColor(0x102030, 0x302010, 0.25), (16 + 8) / 255.0, 32 / 255.0, (48 - 8) / 255.0);

    const std::array<int, 4> colors { 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF };
    expectColor(interpolatedColor({}, 0.5), 0, 0, 0);
    expectColor(interpolatedColor(std::span<const int>(colors.data(), 1), 0.9), 1, 0, 0);
    expectColor(interpolatedColor(colors, 0), 1, 0, 0);
    expectColor(interpolatedColor(colors, 1), 1, 1, 1); // last colour, fraction 1 of the last pair
    expectColor(interpolatedColor(colors, 0.5), 0, 0.5, 0.5);
    expectColor(interpolatedColor(colors, -3), 1, 0, 0);
    expectColor(interpolatedColor(colors, 7), 1, 1, 1);
}

TEST(BackgroundMesh, CornerPresetsMeshTheirFourCorners)
{
    const auto sunset = gradient(BackgroundPreset::sunset);
    ASSERT_TRUE(sunset);
    EXPECT_EQ(sunset->width, 3);
    EXPECT_EQ(sunset->height, 3);
    EXPECT_EQ(sunset->points, meshPoints3Regular());
    EXPECT_EQ(sunset->colors[0], MeshColor::fromHex(0xFF6A3D));
    EXPECT_EQ(sunset->colors[2], MeshColor::fromHex(0xFF2D6E));
    EXPECT_EQ(sunset->colors[6], MeshColor::fromHex(0xFFB347));
    EXPECT_EQ(sunset->colors[8], MeshColor::fromHex(0x7A1FA2));
    expectColor(sunset->colors[4], (0xFF + 0xFF + 0xFF + 0x7A) * 0.25 / 255, (0x6A + 0x2D + 0xB3 + 0x1F) * 0.25 / 255,
        (0x3D + 0x6E + 0x47 + 0xA2) * 0.25 / 255);
    EXPECT_EQ(sunset->colors[1], blendColor(0xFF6A3D, 0xFF2D6E, 0.5));
    EXPECT_EQ(sunset->colors[5], blendColor(0xFF2D6E, 0x7A1FA2, 0.5));
}

TEST(BackgroundMesh, FourColourPresetsRunDiagonally)
{
    const auto nebula = gradient(BackgroundPreset::nebula);
    ASSERT_TRUE(nebula);
    EXPECT_EQ(nebula->points, meshPoints3A());
    EXPECT_EQ(nebula->colors[0], MeshColor::fromHex(0xF030B0));
    EXPECT_EQ(nebula->colors[8], MeshColor::fromHex(0x1080F0));
    EXPECT_EQ(nebula->colors[2], nebula->colors[4]);
    EXPECT_EQ(nebula->colors[4], nebula->colors[6]);
    EXPECT_EQ(nebula->colors[1], blendColor(0xF030B0, 0xC030E0, 0.75));
    EXPECT_EQ(nebula->colors[4], blendColor(0xC030E0, 0x8020F0, 0.5));
    EXPECT_EQ(nebula->colors[7], blendColor(0x8020F0, 0x1080F0, 0.25));
    EXPECT_EQ(gradient(BackgroundPreset::twilight)->points, meshPoints3B());
}

TEST(BackgroundMesh, SixteenColourPresetsKeepTheirGridOrder)
{
    const auto prism = gradient(BackgroundPreset::prism);
    ASSERT_TRUE(prism);
    EXPECT_EQ(prism->width, 4);
    EXPECT_EQ(prism->height, 4);
    EXPECT_EQ(prism->points, meshPoints4A());
    const int listed[16] = { 0xF5108C, 0xFF2E7A, 0x4233A8, 0x14228F, 0xFF3E6B, 0xFF6B57, 0x9AAEEA, 0x2545C4,
        0xFAF3EF, 0xFFD9C2, 0xFCF7F3, 0xB6C9EC, 0xF3F3F5, 0xFF7C3C, 0xF23D27, 0xE0E8F2 };
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(prism->colors[i], MeshColor::fromHex(listed[i])) << i;
    EXPECT_EQ(gridMesh(meshPoints3Regular(), std::array<int, 9> {}).width, 3);
}

TEST(BackgroundMesh, EveryPresetHasAWellFormedMeshExceptTheThreeFlatOnes)
{
    int meshes = 0;
    for (BackgroundPreset preset : allCases<BackgroundPreset>) {
        const auto mesh = gradient(preset);
        const bool flat = preset == BackgroundPreset::none || preset == BackgroundPreset::noir || preset == BackgroundPreset::snow;
        EXPECT_EQ(!mesh, flat) << rawValue(preset).toStdString();
        EXPECT_EQ(linearGradientColors(preset).has_value(), flat && preset != BackgroundPreset::none);
        if (!mesh)
            continue;
        ++meshes;
        ASSERT_EQ(mesh->points.size(), qsizetype(mesh->width) * mesh->height) << rawValue(preset).toStdString();
        ASSERT_EQ(mesh->colors.size(), mesh->points.size());
        // Every point set pins its outer rows and columns to the square's edges.
        for (int c = 0; c < mesh->width; ++c) {
            EXPECT_EQ(mesh->points[c].y(), 0);
            EXPECT_EQ(mesh->points[(mesh->height - 1) * mesh->width + c].y(), 1);
        }
        for (int r = 0; r < mesh->height; ++r) {
            EXPECT_EQ(mesh->points[r * mesh->width].x(), 0);
            EXPECT_EQ(mesh->points[r * mesh->width + mesh->width - 1].x(), 1);
        }
    }
    EXPECT_EQ(meshes, 63);
    EXPECT_FALSE(fromRaw<BackgroundPreset>(u"Ocean"));
    EXPECT_EQ(fromRaw<BackgroundPreset>(u"ocean"), BackgroundPreset::ocean);
}
