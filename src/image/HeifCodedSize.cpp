#include "image/HeifCodedSize.h"

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
            if (type == 33) {
                const QSize size = spsSize(p + i, length);
                if (qint64(size.width()) * size.height() > qint64(largest.width()) * largest.height())
                    largest = size;
            }
            i += length;
        }
    }
}

}

QSize largest(const QByteArray& heif)
{
    QSize found;
    boxes(heif, 0, heif.size(), [&](const char* type, qsizetype begin, qsizetype end) {
        if (std::memcmp(type, "meta", 4) != 0)
            return;
        // A full box: version and flags come first.
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
