#include "render/BackgroundMesh.h"

#include <algorithm>
#include <array>
#include <cmath>

MeshColor MeshColor::fromHex(int rgb)
{
    return { ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0 };
}

QColor MeshColor::toQColor() const
{
    return QColor::fromRgbF(float(red), float(green), float(blue), 1.0f);
}

namespace {
QList<QPointF> pointList(std::initializer_list<std::pair<double, double>> xy)
{
    QList<QPointF> out;
    out.reserve(qsizetype(xy.size()));
    for (const auto& [x, y] : xy)
        out.append(QPointF(x, y));
    return out;
}
}

// Function-local statics: built once on first use, safe against concurrent first calls.
const QList<QPointF>& meshPoints3Regular()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.5, 0 }, { 1, 0 }, { 0, 0.5 }, { 0.5, 0.5 }, { 1, 0.5 }, { 0, 1 }, { 0.5, 1 }, { 1, 1 } });
    return points;
}

const QList<QPointF>& meshPoints3A()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.35, 0 }, { 1, 0 }, { 0, 0.35 }, { 0.55, 0.5 }, { 1, 0.65 }, { 0, 1 }, { 0.65, 1 }, { 1, 1 } });
    return points;
}

const QList<QPointF>& meshPoints3B()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.6, 0 }, { 1, 0 }, { 0, 0.6 }, { 0.45, 0.45 }, { 1, 0.4 }, { 0, 1 }, { 0.4, 1 }, { 1, 1 } });
    return points;
}

const QList<QPointF>& meshPoints4A()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.45, 0 }, { 0.72, 0 }, { 1, 0 },
        { 0, 0.34 }, { 0.5, 0.27 }, { 0.8, 0.42 }, { 1, 0.3 },
        { 0, 0.63 }, { 0.35, 0.73 }, { 0.72, 0.6 }, { 1, 0.66 },
        { 0, 1 }, { 0.42, 1 }, { 0.76, 1 }, { 1, 1 } });
    return points;
}

const QList<QPointF>& meshPoints4B()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.42, 0 }, { 0.7, 0 }, { 1, 0 },
        { 0, 0.36 }, { 0.44, 0.3 }, { 0.74, 0.37 }, { 1, 0.34 },
        { 0, 0.66 }, { 0.26, 0.71 }, { 0.6, 0.66 }, { 1, 0.6 },
        { 0, 1 }, { 0.38, 1 }, { 0.66, 1 }, { 1, 1 } });
    return points;
}

const QList<QPointF>& meshPoints4C()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.33, 0 }, { 0.66, 0 }, { 1, 0 },
        { 0, 0.34 }, { 0.36, 0.3 }, { 0.66, 0.3 }, { 1, 0.34 },
        { 0, 0.66 }, { 0.34, 0.62 }, { 0.68, 0.56 }, { 1, 0.66 },
        { 0, 1 }, { 0.33, 1 }, { 0.66, 1 }, { 1, 1 } });
    return points;
}

const QList<QPointF>& meshPoints4D()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.33, 0 }, { 0.66, 0 }, { 1, 0 },
        { 0, 0.28 }, { 0.4, 0.2 }, { 0.6, 0.2 }, { 1, 0.28 },
        { 0, 0.65 }, { 0.38, 0.52 }, { 0.62, 0.52 }, { 1, 0.65 },
        { 0, 1 }, { 0.33, 1 }, { 0.66, 1 }, { 1, 1 } });
    return points;
}

const QList<QPointF>& meshPoints4E()
{
    static const QList<QPointF> points = pointList({ { 0, 0 }, { 0.33, 0 }, { 0.66, 0 }, { 1, 0 },
        { 0, 0.4 }, { 0.38, 0.33 }, { 0.65, 0.2 }, { 1, 0.14 },
        { 0, 0.68 }, { 0.35, 0.62 }, { 0.62, 0.5 }, { 1, 0.44 },
        { 0, 1 }, { 0.33, 1 }, { 0.66, 1 }, { 1, 1 } });
    return points;
}

MeshColor blendColor(int a, int b, double t)
{
    auto channel = [t](int x, int y) {
        return (double(x) + t * (double(y) - double(x))) / 255.0;
    };
    return { channel((a >> 16) & 255, (b >> 16) & 255), channel((a >> 8) & 255, (b >> 8) & 255), channel(a & 255, b & 255) };
}

MeshColor interpolatedColor(std::span<const int> colors, double t)
{
    const auto n = colors.size();
    if (n == 0)
        return {};
    if (n == 1)
        return MeshColor::fromHex(colors[0]);
    const double x = std::clamp(t, 0.0, 1.0) * double(n - 1);
    const std::size_t i = std::min(n - 2, std::size_t(x));
    return blendColor(colors[i], colors[i + 1], x - double(i));
}

BackgroundMesh meshColors(int topLeft, int topRight, int bottomLeft, int bottomRight)
{
    auto sum = [&](int shift) {
        return double(((topLeft >> shift) & 255) + ((topRight >> shift) & 255) + ((bottomLeft >> shift) & 255) + ((bottomRight >> shift) & 255));
    };
    const MeshColor centre { sum(16) * 0.25 / 255.0, sum(8) * 0.25 / 255.0, sum(0) * 0.25 / 255.0 };
    BackgroundMesh mesh { 3, 3, meshPoints3Regular(), {} };
    mesh.colors = {
        MeshColor::fromHex(topLeft), blendColor(topLeft, topRight, 0.5), MeshColor::fromHex(topRight),
        blendColor(topLeft, bottomLeft, 0.5), centre, blendColor(topRight, bottomRight, 0.5),
        MeshColor::fromHex(bottomLeft), blendColor(bottomLeft, bottomRight, 0.5), MeshColor::fromHex(bottomRight),
    };
    return mesh;
}

BackgroundMesh fixedPointMesh(std::span<const int> colors, const QList<QPointF>& points)
{
    BackgroundMesh mesh { 3, 3, points, {} };
    mesh.colors.reserve(9);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            mesh.colors.append(interpolatedColor(colors, (r + c) * 0.25));
    }
    return mesh;
}

BackgroundMesh gridMesh(const QList<QPointF>& points, std::span<const int> colors)
{
    const int side = int(std::lround(std::sqrt(double(colors.size()))));
    BackgroundMesh mesh { side, side, points, {} };
    mesh.colors.reserve(qsizetype(colors.size()));
    for (int c : colors)
        mesh.colors.append(MeshColor::fromHex(c));
    return mesh;
}

namespace {
enum class Kind { corners, four, sixteen };

struct PresetColors {
    BackgroundPreset preset;
    Kind kind;
    const QList<QPointF>& (*points)();
    std::array<int, 16> colors;
};

// The colour table: corner presets list top-left, top-right, bottom-left, bottom-right; sixteen-colour
// presets list their grid row by row.
constexpr PresetColors kTable[] = {
    { BackgroundPreset::sunset, Kind::corners, &meshPoints3Regular, { 0xFF6A3D, 0xFF2D6E, 0xFFB347, 0x7A1FA2 } },
    { BackgroundPreset::candy, Kind::corners, &meshPoints3Regular, { 0xFF8FD6, 0xA66BFF, 0xFFC1F0, 0x5B6BFF } },
    { BackgroundPreset::ocean, Kind::corners, &meshPoints3Regular, { 0x35E1F0, 0x3B82F6, 0x22D3A6, 0x1E3A8A } },
    { BackgroundPreset::grape, Kind::corners, &meshPoints3Regular, { 0xC04BFF, 0x7C3AED, 0xFF5FA2, 0x3B0A78 } },
    { BackgroundPreset::mint, Kind::corners, &meshPoints3Regular, { 0x5FF0C0, 0x2BD4D4, 0xB6FFB0, 0x0E9F8E } },
    { BackgroundPreset::fire, Kind::corners, &meshPoints3Regular, { 0xFFD23F, 0xFF7A00, 0xFF3D3D, 0xC81D45 } },
    { BackgroundPreset::aurora, Kind::corners, &meshPoints3Regular, { 0x52F0B0, 0x4F9DFF, 0x9B5DE5, 0x2BD4A0 } },
    { BackgroundPreset::peach, Kind::corners, &meshPoints3Regular, { 0xFFD1A1, 0xFF8FA3, 0xFFE3C7, 0xFF6F91 } },
    { BackgroundPreset::nebula, Kind::four, &meshPoints3A, { 0xF030B0, 0xC030E0, 0x8020F0, 0x1080F0 } },
    { BackgroundPreset::dusk, Kind::four, &meshPoints3A, { 0xFF5E7E, 0xD7418C, 0x8A2B8E, 0x3A1C71 } },
    { BackgroundPreset::twilight, Kind::four, &meshPoints3B, { 0xF9A8D4, 0xA78BFA, 0x6366F1, 0x312E81 } },
    { BackgroundPreset::cosmic, Kind::four, &meshPoints3A, { 0xC04BFF, 0x6A3DE8, 0x2E2A8E, 0x0B1026 } },
    { BackgroundPreset::iris, Kind::four, &meshPoints3B, { 0x7EC8FF, 0x5B8AF0, 0x6A4FE8, 0x4A2BB0 } },
    { BackgroundPreset::orchid, Kind::four, &meshPoints3A, { 0xFFC1F0, 0xE85FD8, 0xB04BE8, 0x7A2BD4 } },
    { BackgroundPreset::plum, Kind::four, &meshPoints3A, { 0xFFB3D9, 0xD46AAE, 0x8E3B7E, 0x4A1A4F } },
    { BackgroundPreset::lavender, Kind::four, &meshPoints3B, { 0xE8D5FF, 0xC8A8F0, 0xA6C8FF, 0x8AB0E8 } },
    { BackgroundPreset::coral, Kind::four, &meshPoints3A, { 0xFFE0A3, 0xFFB36B, 0xFF7E5F, 0xE84855 } },
    { BackgroundPreset::ember, Kind::four, &meshPoints3A, { 0xFFC15E, 0xFF7B47, 0xE03E3E, 0x8B1E3F } },
    { BackgroundPreset::mango, Kind::four, &meshPoints3A, { 0xFFE15E, 0xFFB347, 0xFF7E47, 0xFF4E6A } },
    { BackgroundPreset::citrus, Kind::four, &meshPoints3A, { 0xFFF35E, 0xFFC845, 0xFF8A5E, 0xFF5E8A } },
    { BackgroundPreset::sunrise, Kind::four, &meshPoints3B, { 0xFFE89E, 0xFFC07A, 0xFF8FA3, 0xF06AA8 } },
    { BackgroundPreset::rosegold, Kind::four, &meshPoints3B, { 0xFFE3D6, 0xFFC4B0, 0xF0A0A8, 0xD17B8E } },
    { BackgroundPreset::teal, Kind::four, &meshPoints3A, { 0x5FFBD0, 0x2DD4C4, 0x2E9DD8, 0x2563EB } },
    { BackgroundPreset::deepsea, Kind::four, &meshPoints3A, { 0x2DD4C4, 0x1E9DD8, 0x1E5FBE, 0x0A2463 } },
    { BackgroundPreset::seafoam, Kind::four, &meshPoints3A, { 0xD9FBE8, 0x7EE8C8, 0x46C7C7, 0x3A9DD8 } },
    { BackgroundPreset::glacier, Kind::four, &meshPoints3B, { 0xF0FBFF, 0xC4ECFF, 0x8FD0F0, 0x5BA8D8 } },
    { BackgroundPreset::emerald, Kind::four, &meshPoints3A, { 0x9EFFB3, 0x46D98A, 0x1FA86E, 0x0E6E50 } },
    { BackgroundPreset::blush, Kind::four, &meshPoints3B, { 0xFFF0E6, 0xFFD6C4, 0xFFB3C7, 0xFF8FB3 } },
    { BackgroundPreset::prism, Kind::sixteen, &meshPoints4A, { 0xF5108C, 0xFF2E7A, 0x4233A8, 0x14228F, 0xFF3E6B, 0xFF6B57, 0x9AAEEA, 0x2545C4, 0xFAF3EF, 0xFFD9C2, 0xFCF7F3, 0xB6C9EC, 0xF3F3F5, 0xFF7C3C, 0xF23D27, 0xE0E8F2 } },
    { BackgroundPreset::sonoma, Kind::sixteen, &meshPoints4C, { 0x6E5CE6, 0x5246D8, 0xE6DEF2, 0xF0814F, 0xC9BEEC, 0xEDE7F6, 0xF2D9D2, 0xFF9E72, 0xB9C6F0, 0x4E5BE8, 0xCBA9C8, 0xFF9468, 0x3A6BEA, 0x6878E2, 0xB79ED0, 0xFB8A60 } },
    { BackgroundPreset::lagoon, Kind::sixteen, &meshPoints4A, { 0x0E7C86, 0x14B8A6, 0x2C7BE0, 0x1E2C8F, 0x3FD0C0, 0x7CE8D2, 0x9AC4F0, 0x2E5AD0, 0xF0FBF8, 0xCFF5EA, 0xFAFEFD, 0xB6D4F0, 0xEAF7F4, 0x46D9B0, 0x18A0C8, 0xDCE8F4 } },
    { BackgroundPreset::blossom, Kind::sixteen, &meshPoints4A, { 0xE0489C, 0xF06AB0, 0x9A5FE0, 0x6A3CC0, 0xFF7AB8, 0xFFA0C4, 0xC4A0EA, 0x8A5FD8, 0xFCF0F6, 0xFFE0EC, 0xFDF6FA, 0xD8C4F0, 0xF8EEF4, 0xFF9AC0, 0xE86AA8, 0xE4D4F2 } },
    { BackgroundPreset::spectrum, Kind::sixteen, &meshPoints4A, { 0xFFB347, 0xFF6F61, 0xC840A8, 0x6A2CC0, 0xFFD27A, 0xFF8E72, 0xE860B0, 0x8A4FE0, 0xFFF0D8, 0xFFC8B0, 0xFAD0F0, 0xC0A8F5, 0xFFE8C0, 0xFF9E7A, 0xF06AC0, 0x9A6FF0 } },
    { BackgroundPreset::lava, Kind::sixteen, &meshPoints4B, { 0xC87830, 0xD48040, 0x6A5070, 0x585078, 0xC06A28, 0x301840, 0x1C1638, 0x504868, 0x8A4C22, 0x181338, 0x161130, 0x885030, 0xA85A28, 0xC87030, 0x2E1C36, 0xBE6A28 } },
    { BackgroundPreset::magma, Kind::sixteen, &meshPoints4B, { 0xD03030, 0xE04040, 0x784050, 0x603040, 0xC02828, 0x381020, 0x200C14, 0x583040, 0x901C18, 0x180A10, 0x160810, 0x882828, 0xB02020, 0xD03030, 0x300C18, 0xC02820 } },
    { BackgroundPreset::eclipse, Kind::sixteen, &meshPoints4B, { 0xC89020, 0xD8A028, 0x686040, 0x504850, 0xB88018, 0x2C1C08, 0x1C1618, 0x3E3E48, 0x906010, 0x181010, 0x161010, 0x786028, 0xA87010, 0xC89020, 0x2A1820, 0xB88010 } },
    { BackgroundPreset::abyssal, Kind::sixteen, &meshPoints4B, { 0x188888, 0x20A090, 0x406070, 0x304868, 0x107070, 0x0C2830, 0x081820, 0x284060, 0x0C5050, 0x081018, 0x061018, 0x206070, 0x106060, 0x189080, 0x0C1828, 0x107070 } },
    { BackgroundPreset::cobalt, Kind::sixteen, &meshPoints4B, { 0x2040C0, 0x2848D0, 0x504880, 0x403870, 0x1838B0, 0x141030, 0x0C0A28, 0x3A3068, 0x1028A0, 0x0C0A20, 0x0A0818, 0x283070, 0x1830B0, 0x2040C0, 0x100C28, 0x1838A8 } },
    { BackgroundPreset::nightfall, Kind::sixteen, &meshPoints4B, { 0x7830C0, 0x8838D0, 0x604870, 0x503860, 0x6828B0, 0x2C1040, 0x1C0C30, 0x483860, 0x5020A0, 0x180C30, 0x160A28, 0x603850, 0x6028B0, 0x7830C0, 0x240C38, 0x6028A8 } },
    { BackgroundPreset::quartz, Kind::sixteen, &meshPoints4A, { 0xCFE1E6, 0xDCE6E6, 0xEFE8E0, 0xF1E3D4, 0xDAE5E6, 0xF1ECE6, 0xF6EFE9, 0xEFC9BF, 0xF4EAE2, 0xEFCBC1, 0xC9A9B6, 0x9C96B6, 0xF4D7C7, 0xCAA4AF, 0x9E8BA8, 0x8C87A6 } },
    { BackgroundPreset::sage, Kind::sixteen, &meshPoints4A, { 0xD2E6DE, 0xDEE8DE, 0xEFEBE0, 0xEFE6D2, 0xDCE8DE, 0xEFEEE6, 0xF4F1E8, 0xDCD8B8, 0xEDEEE2, 0xCFD8B4, 0xA8C0A8, 0x8AA89C, 0xE6EAD4, 0xAEC4A6, 0x88A892, 0x6E8C86 } },
    { BackgroundPreset::sand, Kind::sixteen, &meshPoints4A, { 0xF0E6D6, 0xF2E4CE, 0xF4E8DA, 0xF2DCC4, 0xF2E2CE, 0xF6ECDE, 0xF8F0E4, 0xEEC6A8, 0xF4E8DA, 0xEEC2A4, 0xD2A48C, 0xB88A74, 0xF0D8BE, 0xD2A088, 0xB07E68, 0x8E6A5A } },
    { BackgroundPreset::frost, Kind::sixteen, &meshPoints4A, { 0xD6E6EE, 0xDCE8F0, 0xE8EEF2, 0xE2E6EE, 0xDEE8F0, 0xEEF2F6, 0xF2F4F8, 0xC8CEE2, 0xE6ECF2, 0xC4CEE6, 0xA0AAD0, 0x8088B0, 0xDCE2EE, 0xA8B2D4, 0x848EB8, 0x68729C } },
    { BackgroundPreset::mauve, Kind::sixteen, &meshPoints4A, { 0xE6DEEC, 0xE8DEEA, 0xF0E6E8, 0xF0DEDE, 0xE6DEEA, 0xF2EAEE, 0xF6EEF0, 0xE8C2CE, 0xF0E6EA, 0xE6BECE, 0xC89AB8, 0xA086AE, 0xEED4DE, 0xCA9CB4, 0xA47EA0, 0x86688E } },
    { BackgroundPreset::harbor, Kind::sixteen, &meshPoints4A, { 0xCFE2E2, 0xD8E6E4, 0xE6ECE8, 0xDEE6E4, 0xD6E4E2, 0xE8EEEC, 0xEEF2F0, 0xBCCED0, 0xE2EAE6, 0xBACCCE, 0x90AAAE, 0x728E94, 0xD6E2DE, 0x9EB6B6, 0x7A969A, 0x5E7A80 } },
    { BackgroundPreset::neon, Kind::sixteen, &meshPoints4E, { 0xD8CCF0, 0xE0CEEC, 0xCFE0F4, 0xCBD6F2, 0xEAD8F4, 0xF4E6F2, 0xF2ECFA, 0xD6E4F6, 0xFBF2FA, 0xFFF6FC, 0xF2FBF6, 0xEAFAF2, 0xCFF0D6, 0xD8F4DC, 0xC4ECD8, 0xB8E2D2 } },
    { BackgroundPreset::topaz, Kind::sixteen, &meshPoints4C, { 0xF0E2C4, 0xF2E4C8, 0xF4E8D0, 0xF0E0C2, 0xF8EED8, 0xFCF4E6, 0xFEF8EE, 0xF6ECDA, 0xFBF6EA, 0xFFFBF2, 0xFFF8EE, 0xF8F0E0, 0xE6C892, 0xE0C088, 0xD8B67E, 0xE4C68E } },
    { BackgroundPreset::jade, Kind::sixteen, &meshPoints4D, { 0xCFE8D8, 0xD2EADC, 0xD8EEE2, 0xCEE6D6, 0xE4F4EA, 0xEEF8F0, 0xF4FBF6, 0xE2F2E8, 0xF2FAF4, 0xF8FDFA, 0xF6FCF8, 0xEEF8F0, 0xA8D4B8, 0xA0CEB2, 0x98C8AC, 0xACD6BC } },
    { BackgroundPreset::ruby, Kind::sixteen, &meshPoints4A, { 0xF0CCD2, 0xF2CED4, 0xF4D2D6, 0xEEC8CE, 0xF8E0E2, 0xFCEAEC, 0xFEF2F2, 0xF6DEE0, 0xFDF2F2, 0xFFF8F8, 0xFFF4F4, 0xFAEAEA, 0xE0A0A8, 0xDA98A0, 0xD49098, 0xDC9CA4 } },
    { BackgroundPreset::midnight, Kind::sixteen, &meshPoints4E, { 0xCAD8F0, 0xCEDAF2, 0xD4DEF4, 0xC8D6EE, 0xE2EAF8, 0xEEF2FC, 0xF4F6FE, 0xE0E8F6, 0xF2F5FC, 0xF8FAFE, 0xF6F8FE, 0xEEF2FA, 0x9AAAD8, 0x92A2D2, 0x8A9ACA, 0x9EACDA } },
    { BackgroundPreset::petal, Kind::sixteen, &meshPoints4D, { 0xF0CED8, 0xEEC8D4, 0xECC0CC, 0xEEC8D8, 0xFDF0F6, 0xFFF6FA, 0xFFFAFC, 0xFAEEF6, 0xE8AABE, 0xDCA4B8, 0xD09CB0, 0xE2A8BC, 0xC8849C, 0xBE7C96, 0xB47490, 0xC07E98 } },
    { BackgroundPreset::sky, Kind::sixteen, &meshPoints4C, { 0xC4D4F2, 0xC8D8F4, 0xCCDCF6, 0xC6D6F2, 0xEEF4FF, 0xF4F8FF, 0xF8FBFF, 0xECF4FF, 0xAABCE6, 0xA2B4E2, 0x9CACD8, 0xA8B8E4, 0x8494CA, 0x7C8CC2, 0x7484BA, 0x8090C6 } },
    { BackgroundPreset::clay, Kind::sixteen, &meshPoints4A, { 0xD4886C, 0xCC7C62, 0xC07058, 0xD0846A, 0xF4D6C4, 0xFAE2CE, 0xFCEAD6, 0xF0D4C0, 0xBC6850, 0xB05E46, 0xA4523C, 0xB8644C, 0x8A4230, 0x80382A, 0x763028, 0x843E2E } },
    { BackgroundPreset::chalk, Kind::sixteen, &meshPoints4D, { 0xF0EBE4, 0xEEE8E0, 0xECE4DC, 0xEEE6E0, 0xF8F6F2, 0xFCFAF8, 0xFEFCFA, 0xF8F4EE, 0xE4DDD4, 0xDDD6CC, 0xD6CFC6, 0xE0D8CE, 0xC8C0B4, 0xC0B8AC, 0xB8B0A8, 0xC4BCB0 } },
    { BackgroundPreset::steel, Kind::four, &meshPoints3A, { 0x7E9AC4, 0x3E628E, 0x223A5E, 0x0B1322 } },
    { BackgroundPreset::sundown, Kind::four, &meshPoints3B, { 0x3A2C6E, 0x7A4AA8, 0xE85E6E, 0xFFB76A } },
    { BackgroundPreset::horizon, Kind::four, &meshPoints3B, { 0x2E74B8, 0x9AC2DE, 0xFFC089, 0xE86A33 } },
    { BackgroundPreset::meadow, Kind::four, &meshPoints3A, { 0x2E9E84, 0x76C89A, 0xE6D470, 0xF0A248 } },
    { BackgroundPreset::bloom, Kind::four, &meshPoints3A, { 0x3EC8C8, 0x86DCCE, 0xF2A6C2, 0xE86AA4 } },
    { BackgroundPreset::alpine, Kind::four, &meshPoints3B, { 0xEAD0E6, 0xCBB2E4, 0xB0C2EA, 0xD7A6B8 } },
    { BackgroundPreset::borealis, Kind::sixteen, &meshPoints4E, { 0x5A6E96, 0x6A5E9E, 0x7E6AA8, 0x8A6EA0, 0x6E7EA8, 0x8E7EC0, 0xA07EC8, 0x9A6EB0, 0x4E5E86, 0x6E5E9E, 0x9A5EB8, 0xC86EA0, 0x3A4A6E, 0x4E4080, 0x6E3E90, 0xE08A6E } },
    { BackgroundPreset::velvet, Kind::sixteen, &meshPoints4E, { 0x14182E, 0x1C2444, 0x32508E, 0x4C7AD8, 0x161A34, 0x26305C, 0x5064C4, 0x6E80EA, 0x1A1E38, 0x322C72, 0x6242C4, 0x4A2EA0, 0x12152A, 0x1C1A44, 0x2C2266, 0x161430 } },
    { BackgroundPreset::goldray, Kind::sixteen, &meshPoints4E, { 0x6A2CA0, 0x8A2EB0, 0xC85AC0, 0xF0A040, 0x7A2EA8, 0xA83EB0, 0xE87E6A, 0xFFC24A, 0x5A2490, 0x8A3E9E, 0xD86A5A, 0xF0A838, 0x401A6E, 0x5A2E80, 0x8A4A7E, 0xC8863E } },
};

const PresetColors* tableEntry(BackgroundPreset preset)
{
    for (const PresetColors& entry : kTable) {
        if (entry.preset == preset)
            return &entry;
    }
    return nullptr;
}
}

std::optional<BackgroundMesh> gradient(BackgroundPreset preset)
{
    const PresetColors* entry = tableEntry(preset);
    if (!entry)
        return std::nullopt;
    const auto& c = entry->colors;
    switch (entry->kind) {
    case Kind::corners:
        return meshColors(c[0], c[1], c[2], c[3]);
    case Kind::four:
        return fixedPointMesh(std::span<const int>(c.data(), 4), entry->points());
    case Kind::sixteen:
        return gridMesh(entry->points(), std::span<const int>(c.data(), 16));
    }
    return std::nullopt;
}

std::optional<LinearColors> linearGradientColors(BackgroundPreset preset)
{
    switch (preset) {
    case BackgroundPreset::snow: return LinearColors { 0xFDFDFF, 0xE7E9F0 };
    case BackgroundPreset::noir: return LinearColors { 0x2B2B2E, 0x131315 };
    default: return std::nullopt;
    }
}
