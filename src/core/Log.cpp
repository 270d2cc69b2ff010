#include "core/Log.h"

#include <cstdio>

namespace {
std::function<void(const QString&)>& sink()
{
    static std::function<void(const QString&)> s;
    return s;
}

bool needsEscape(char16_t c)
{
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0) // C0, DEL, C1 (NEL among them)
        || c == 0x2028 || c == 0x2029 // line and paragraph separators
        || (c >= 0x200e && c <= 0x200f) || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069); // bidi marks
}
}

QString escapedForLog(const QString& message)
{
    QString out;
    out.reserve(message.size());
    for (const QChar ch : message) {
        const char16_t c = ch.unicode();
        if (!needsEscape(c)) {
            out.append(ch);
            continue;
        }
        switch (c) {
        case u'\n': out.append(QLatin1String("\\n")); break;
        case u'\r': out.append(QLatin1String("\\r")); break;
        case u'\t': out.append(QLatin1String("\\t")); break;
        default:
            out.append(c < 0x100 ? QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'))
                                 : QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0')));
        }
    }
    return out;
}

void logLine(const QString& message)
{
    const QString line = QStringLiteral("Lumaforge: ") + escapedForLog(message);
    if (auto& s = sink()) {
        s(line);
        return;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void setLogSink(std::function<void(const QString&)> s)
{
    sink() = std::move(s);
}
