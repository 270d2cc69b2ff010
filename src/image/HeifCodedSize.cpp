#include "image/HeifCodedSize.h"

#include <QHash>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>

namespace HeifCodedSize {

namespace {

using Visit = std::function<void(const char* type, qsizetype begin, qsizetype end)>;

// Calls `visit` with each box in [begin, end) of `data`: its type and its body's bounds.
void boxes(const QByteArray& data, qsizetype begin, qsizetype end, const Visit& visit)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    for (qsizetype i = begin; end - i >= 8;) {
        quint64 size = qFromBigEndian<quint32>(p + i);
        qsizetype header = 8;
        if (size == 1) {
            if (end - i < 16)
                return;
            size = qFromBigEndian<quint64>(p + i + 8);
            header = 16;
        } else if (size == 0) {
            size = quint64(end - i);
        }
        if (size < quint64(header) || size > quint64(end - i))
            return;
        visit(data.constData() + i + 4, i + header, i + qsizetype(size));
        i += qsizetype(size);
    }
}

void keepLarger(QSize& largest, QSize size)
{
    if (qint64(size.width()) * size.height() > qint64(largest.width()) * largest.height())
        largest = size;
}

// Bits of a parameter set's payload, its emulation-prevention bytes (00 00 03) taken out.
class Bits {
public:
    explicit Bits(const uchar* nal, qsizetype size)
    {
        for (qsizetype i = 0; i < size; ++i) {
            if (i >= 2 && nal[i] == 3 && nal[i - 1] == 0 && nal[i - 2] == 0)
                continue;
            m_bytes.append(char(nal[i]));
        }
    }
    bool ok() const { return m_pos <= qint64(m_bytes.size()) * 8; }
    quint32 bit()
    {
        if (m_pos >= qint64(m_bytes.size()) * 8) {
            m_pos = qint64(m_bytes.size()) * 8 + 1;
            return 0;
        }
        const quint32 b = (uchar(m_bytes[qsizetype(m_pos / 8)]) >> (7 - m_pos % 8)) & 1;
        ++m_pos;
        return b;
    }
    void skip(int n) { m_pos += n; }
    // Exp-Golomb, as the sizes are written.
    quint64 ue()
    {
        int zeros = 0;
        while (ok() && bit() == 0) {
            if (++zeros > 32) {
                m_pos = qint64(m_bytes.size()) * 8 + 1;
                return 0;
            }
        }
        quint64 value = 0;
        for (int i = 0; i < zeros; ++i)
            value = (value << 1) | bit();
        return (quint64(1) << zeros) - 1 + value;
    }

private:
    QByteArray m_bytes;
    qint64 m_pos = 16; // after the two bytes of the unit's header
};

// pic_width and pic_height of a sequence parameter set (H.265 7.3.2.2).
QSize spsSize(const uchar* nal, qsizetype size)
{
    Bits bits(nal, size);
    bits.skip(4); // video parameter set
    int subLayers = 0;
    for (int i = 0; i < 3; ++i)
        subLayers = (subLayers << 1) | int(bits.bit());
    bits.skip(1);
    bits.skip(88 + 8); // general profile and level
    bool profile[8] = {}, level[8] = {};
    for (int i = 0; i < subLayers; ++i) {
        profile[i] = bits.bit();
        level[i] = bits.bit();
    }
    if (subLayers > 0)
        bits.skip(2 * (8 - subLayers));
    for (int i = 0; i < subLayers; ++i)
        bits.skip((profile[i] ? 88 : 0) + (level[i] ? 8 : 0));
    bits.ue(); // its own id
    if (bits.ue() == 3) // chroma format
        bits.skip(1);
    const quint64 width = bits.ue(), height = bits.ue();
    if (!bits.ok() || width == 0 || height == 0)
        return {};
    return QSize(int(std::min<quint64>(width, INT_MAX)), int(std::min<quint64>(height, INT_MAX)));
}

// The sizes in an hvcC box's parameter sets (ISO/IEC 14496-15 8.3.3.1).
void hvcCSizes(const QByteArray& data, qsizetype begin, qsizetype end, QSize& largest)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    qsizetype i = begin + 22;
    if (i >= end)
        return;
    const int arrays = p[i++];
    for (int a = 0; a < arrays && end - i >= 3; ++a) {
        const int type = p[i] & 0x3f;
        const int units = qFromBigEndian<quint16>(p + i + 1);
        i += 3;
        for (int u = 0; u < units && end - i >= 2; ++u) {
            const qsizetype length = qFromBigEndian<quint16>(p + i);
            i += 2;
            if (length > end - i)
                return;
            if (type == 33)
                keepLarger(largest, spsSize(p + i, length));
            i += length;
        }
    }
}

// Reads big-endian fields of up to 8 bytes from [begin, end); past the end it reads nothing and
// says so.
class Fields {
public:
    Fields(const QByteArray& data, qsizetype begin, qsizetype end)
        : m_p(reinterpret_cast<const uchar*>(data.constData()))
        , m_pos(begin)
        , m_end(end)
    {
    }
    bool ok() const { return m_ok; }
    quint64 read(int bytes)
    {
        if (bytes == 0)
            return 0;
        if (!m_ok || bytes < 0 || bytes > 8 || m_end - m_pos < bytes) {
            m_ok = false;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = (value << 8) | m_p[m_pos + i];
        m_pos += bytes;
        return value;
    }

private:
    const uchar* m_p;
    qsizetype m_pos, m_end;
    bool m_ok = true;
};

// Where an item's data starts: in the file, or in the meta box's idat.
struct Location {
    int method = 0; // 0: offset in the file, 1: offset in idat
    quint64 offset = 0;
};

// The first extent of each item in an iloc box (ISO/IEC 14496-12 8.11.3).
QHash<quint32, Location> locations(const QByteArray& data, qsizetype begin, qsizetype end)
{
    QHash<quint32, Location> found;
    Fields f(data, begin, end);
    const int version = int(f.read(1));
    f.read(3);
    const int sizes = int(f.read(1)), more = int(f.read(1));
    const int offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4;
    const int indexSize = version == 1 || version == 2 ? more & 15 : 0;
    if (version > 2)
        return found;
    const quint64 items = f.read(version < 2 ? 2 : 4);
    for (quint64 i = 0; i < items && f.ok(); ++i) {
        const auto id = quint32(f.read(version < 2 ? 2 : 4));
        Location location;
        if (version >= 1)
            location.method = int(f.read(2) & 15);
        f.read(2); // data reference
        const quint64 base = f.read(baseSize);
        const quint64 extents = f.read(2);
        for (quint64 e = 0; e < extents && f.ok(); ++e) {
            f.read(indexSize);
            const quint64 offset = f.read(offsetSize);
            f.read(lengthSize);
            if (e == 0)
                location.offset = base + offset;
        }
        if (f.ok() && extents > 0)
            found.insert(id, location);
    }
    return found;
}

// The ids of the items of the given type in an iinf box (infe versions 2 and 3 name a type).
QList<quint32> itemsOfType(const QByteArray& data, qsizetype begin, qsizetype end, const char* wanted)
{
    QList<quint32> ids;
    const int version = end - begin >= 1 ? uchar(data[begin]) : 0;
    boxes(data, begin + 4 + (version == 0 ? 2 : 4), end, [&](const char* type, qsizetype begin, qsizetype end) {
        if (std::memcmp(type, "infe", 4) != 0)
            return;
        Fields f(data, begin, end);
        const int infeVersion = int(f.read(1));
        f.read(3);
        if (infeVersion < 2)
            return;
        const auto id = quint32(f.read(infeVersion == 2 ? 2 : 4));
        f.read(2); // protection
        const quint64 itemType = f.read(4);
        if (f.ok() && itemType == qFromBigEndian<quint32>(wanted))
            ids.append(id);
    });
    return ids;
}

// The canvas a grid or an overlay item declares (ISO/IEC 23008-12 6.6.2.3 and 6.6.2.2): libheif
// allocates it before it looks at a single tile.
QSize canvasSize(const QByteArray& data, qsizetype begin, qsizetype end, bool overlay)
{
    Fields f(data, begin, end);
    f.read(1); // version
    const bool wide = f.read(1) & 1;
    f.read(overlay ? 8 : 2); // fill colour, or rows and columns
    const quint64 width = f.read(wide ? 4 : 2), height = f.read(wide ? 4 : 2);
    if (!f.ok() || width == 0 || height == 0)
        return {};
    return QSize(int(std::min<quint64>(width, INT_MAX)), int(std::min<quint64>(height, INT_MAX)));
}

// The canvases of the grid and overlay items in a meta box's body.
void canvasSizes(const QByteArray& data, qsizetype begin, qsizetype end, QSize& largest)
{
    QHash<quint32, Location> where;
    QList<quint32> grids, overlays;
    qsizetype idat = -1, idatEnd = -1;
    boxes(data, begin, end, [&](const char* type, qsizetype begin, qsizetype end) {
        if (std::memcmp(type, "iloc", 4) == 0) {
            where = locations(data, begin, end);
        } else if (std::memcmp(type, "iinf", 4) == 0) {
            grids = itemsOfType(data, begin, end, "grid");
            overlays = itemsOfType(data, begin, end, "iovl");
        } else if (std::memcmp(type, "idat", 4) == 0) {
            idat = begin;
            idatEnd = end;
        }
    });
    const auto measure = [&](quint32 id, bool overlay) {
        const auto it = where.constFind(id);
        if (it == where.constEnd())
            return;
        qsizetype from = 0, to = data.size();
        if (it->method == 1) {
            if (idat < 0)
                return;
            from = idat;
            to = idatEnd;
        } else if (it->method != 0) {
            return;
        }
        if (it->offset >= quint64(to - from))
            return;
        keepLarger(largest, canvasSize(data, from + qsizetype(it->offset), to, overlay));
    };
    for (const quint32 id : std::as_const(grids))
        measure(id, false);
    for (const quint32 id : std::as_const(overlays))
        measure(id, true);
}

}

QSize largest(const QByteArray& heif)
{
    QSize found;
    boxes(heif, 0, heif.size(), [&](const char* type, qsizetype begin, qsizetype end) {
        if (std::memcmp(type, "meta", 4) != 0)
            return;
        // A full box: version and flags come first.
        canvasSizes(heif, begin + 4, end, found);
        boxes(heif, begin + 4, end, [&](const char* type, qsizetype begin, qsizetype end) {
            if (std::memcmp(type, "iprp", 4) != 0)
                return;
            boxes(heif, begin, end, [&](const char* type, qsizetype begin, qsizetype end) {
                if (std::memcmp(type, "ipco", 4) != 0)
                    return;
                boxes(heif, begin, end, [&](const char* type, qsizetype begin, qsizetype end) {
                    if (std::memcmp(type, "hvcC", 4) == 0)
                        hvcCSizes(heif, begin, end, found);
                });
            });
        });
    });
    return found;
}

}
