#include "ui/Symbols.h"

#include "core/Log.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QSet>

#include <algorithm>

namespace {
struct Entry {
    const char* name;
    char32_t codepoint;
    int rotation;
};

// Sorted by name for binary search; the comment names the Material glyph.
constexpr Entry kTable[] = {
    { "arrow.down.left", 0xf1e5, 0 }, // south_west
    { "arrow.down.right", 0xf1e4, 0 }, // south_east
    { "arrow.left.and.right.righttriangle.left.righttriangle.right", 0xe3e8, 0 }, // flip
    { "arrow.right", 0xe5c8, 0 }, // arrow_forward
    { "arrow.up.and.down.righttriangle.up.righttriangle.down", 0xe3e8, 90 }, // flip
    { "arrow.up.left", 0xf1e2, 0 }, // north_west
    { "arrow.up.right", 0xf1e1, 0 }, // north_east
    { "arrow.uturn.backward", 0xe166, 0 }, // undo
    { "arrow.uturn.forward", 0xe15a, 0 }, // redo
    { "camera.viewfinder", 0xe3b4, 0 }, // center_focus_strong
    { "checkmark", 0xe5ca, 0 }, // check
    { "checkmark.circle.fill", 0xe86c, 0 }, // check_circle
    { "checkmark.seal.fill", 0xef76, 0 }, // verified
    { "chevron.left", 0xe5cb, 0 }, // chevron_left
    { "chevron.right", 0xe5cc, 0 }, // chevron_right
    { "chevron.up.chevron.down", 0xe5d7, 0 }, // unfold_more
    { "circle", 0xe836, 0 }, // radio_button_unchecked
    { "crop", 0xe3be, 0 }, // crop
    { "cursorarrow", 0xe569, 270 }, // near_me
    { "doc.on.clipboard", 0xe14f, 0 }, // content_paste
    { "drop.fill", 0xe798, 0 }, // water_drop
    { "exclamationmark.triangle.fill", 0xe002, 0 }, // warning
    { "eye.slash", 0xe8f5, 0 }, // visibility_off
    { "eyedropper", 0xe3b8, 0 }, // colorize
    { "folder", 0xe2c7, 0 }, // folder
    { "folder.badge.questionmark", 0xeb83, 0 }, // folder_off
    { "gearshape", 0xe8b8, 0 }, // settings
    { "gearshape.fill", 0xe8b8, 0 }, // settings
    { "keyboard", 0xe312, 0 }, // keyboard
    { "line.diagonal", 0xf108, -45 }, // horizontal_rule
    { "lock.fill", 0xe897, 0 }, // lock
    { "lock.shield", 0xe32a, 0 }, // security
    { "macwindow", 0xe069, 0 }, // web_asset
    { "minus", 0xe15b, 0 }, // remove
    { "pencil.tip", 0xe3c9, 0 }, // edit
    { "person.crop.circle", 0xe853, 0 }, // account_circle
    { "person.crop.rectangle", 0xe416, 0 }, // portrait
    { "photo", 0xe3f4, 0 }, // image
    { "photo.badge.plus", 0xe43e, 0 }, // add_photo_alternate
    { "photo.on.rectangle.angled", 0xe413, 0 }, // photo_library
    { "plus", 0xe145, 0 }, // add
    { "rectangle", 0xe3c3, 0 }, // crop_landscape
    { "rectangle.fill", 0xeb54, 0 }, // rectangle
    { "rectangle.inset.filled", 0xe5d0, 0 }, // fullscreen
    { "rectangle.stack", 0xe3e0, 0 }, // filter_none
    { "slider.horizontal.3", 0xe429, 0 }, // tune
    { "sparkles", 0xe65f, 0 }, // auto_awesome
    { "square", 0xe835, 0 }, // check_box_outline_blank
    { "square.and.arrow.up", 0xe6b8, 0 }, // ios_share
    { "square.fill", 0xeb36, 0 }, // square
    { "squareshape.split.3x3", 0xe3ec, 0 }, // grid_on
    { "star", 0xe83a, 0 }, // star_border
    { "star.fill", 0xe838, 0 }, // star
    { "text.aligncenter", 0xe234, 0 }, // format_align_center
    { "text.alignleft", 0xe236, 0 }, // format_align_left
    { "text.alignright", 0xe237, 0 }, // format_align_right
    { "textformat", 0xe262, 0 }, // text_fields
    { "trash", 0xe872, 0 }, // delete
    { "tray.and.arrow.down.fill", 0xe168, 0 }, // move_to_inbox
    { "viewfinder", 0xe3c2, 0 }, // crop_free
    { "wand.and.sparkles", 0xe664, 0 }, // auto_fix_normal
    { "wand.and.stars", 0xe663, 0 }, // auto_fix_high
    { "xmark", 0xe5cd, 0 }, // close
};

// Material glyphs fill about 20 of their 24 units; design symbols sit a little taller than
// the cap height of the text beside them.
constexpr qreal kGlyphPerPoint = 1.2;

QString fontFamily()
{
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            logLine(QStringLiteral("icon font could not be loaded; symbols will be missing"));
            return QStringLiteral("Material Icons");
        }
        return families.constFirst();
    }();
    return family;
}

void logUnknown(QStringView name)
{
    static QMutex mutex;
    static QSet<QString> reported;
    QMutexLocker lock(&mutex);
    const QString key = name.toString();
    if (!reported.contains(key)) {
        reported.insert(key);
        logLine(QStringLiteral("unknown symbol \"%1\"").arg(key));
    }
}
}

std::optional<Symbols::Glyph> Symbols::glyph(QStringView name)
{
    const QByteArray utf8 = name.toUtf8();
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), utf8,
        [](const Entry& e, const QByteArray& key) { return qstrcmp(e.name, key.constData()) < 0; });
    if (it == std::end(kTable) || qstrcmp(it->name, utf8.constData()) != 0)
        return std::nullopt;
    return Glyph { it->codepoint, it->rotation };
}

QStringList Symbols::names()
{
    QStringList out;
    for (const Entry& e : kTable)
        out.append(QString::fromLatin1(e.name));
    return out;
}

QFont Symbols::font(qreal size)
{
    QFont f(fontFamily());
    f.setPixelSize(std::max(1, qRound(size * kGlyphPerPoint)));
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferAntialias));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

qreal Symbols::extent(qreal size)
{
    return std::max(1, qRound(size * kGlyphPerPoint));
}

void Symbols::paint(QPainter& painter, QStringView name, const QPointF& center, qreal size, const QColor& color,
    QFont::Weight weight)
{
    const std::optional<Glyph> g = glyph(name);
    if (!g) {
        logUnknown(name);
        return;
    }
    const QFont f = font(size);
    const qreal box = extent(size);
    const QString text = QString::fromUcs4(&g->codepoint, 1);

    // Centre the glyph's design square (advance wide, ascent plus descent tall) on `center`, not
    // its ink, so arrows and badges keep their intended offsets.
    const QFontMetricsF metrics(f);
    QPainterPath path;
    path.addText(QPointF(-metrics.horizontalAdvance(text) / 2.0, (metrics.ascent() - metrics.descent()) / 2.0), f, text);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(center);
    if (g->rotation != 0)
        painter.rotate(g->rotation);
    painter.setBrush(color);
    if (weight > QFont::Normal) {
        // Heavier faces: outline the glyph with a stroke proportional to the extra weight.
        const qreal extra = (weight - QFont::Normal) / 300.0; // 1 at bold
        painter.setPen(QPen(color, box * 0.045 * extra, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.drawPath(path);
    painter.restore();
}

QPixmap Symbols::pixmap(QStringView name, qreal size, const QColor& color, qreal devicePixelRatio, QFont::Weight weight)
{
    const qreal box = extent(size);
    const int side = std::max(1, qCeil(box * devicePixelRatio));
    QPixmap pm(side, side);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    paint(p, name, QPointF(box / 2.0, box / 2.0), size, color, weight);
    return pm;
}

QIcon Symbols::icon(QStringView name, qreal size, const QColor& color)
{
    QIcon icon;
    for (qreal dpr : { 1.0, 2.0 })
        icon.addPixmap(pixmap(name, size, color, dpr));
    return icon;
}
