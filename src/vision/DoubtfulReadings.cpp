#include "vision/DoubtfulReadings.h"

#include "vision/SensitiveTextDetector.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

// Digit groups that nearly make a phone number or an IP address: a digit read as a letter or a
// bracket ("G64.071.4723", "+6] 646 457 0288", "+1.605.657f327"), an area code a digit short
// ("(78) 616-1212"), one of an address's dots read as another mark ("13.85.213-107",
// "192.168:8.170"). Small print on and under highlighted rows and in pills comes out so; read
// larger, it often comes out whole.
bool nearlyPhoneOrAddress(const QString& text)
{
    static const QRegularExpression dotted(QStringLiteral(R"((?<![\w.,:\-])\d{1,3}([.,:;\-])\d{1,3}([.,:;\-])\d{1,3}([.,:;\-])\d{1,3}(?![\w]|[.,:\-]\d))"));
    for (auto it = dotted.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int dots = int(m.captured(1) == u".") + int(m.captured(2) == u".") + int(m.captured(3) == u".");
        if (dots == 2)
            return true;
    }
    static const QRegularExpression shortCode(QStringLiteral(R"((?<![\w(])\(\d{2}\) ?\d{3}[-. ]\d{4}(?![\w\-]))"));
    if (shortCode.match(text).hasMatch())
        return true;
    // A phone number's groups with one or two glyphs that are no digits, each beside a digit (a
    // name before the number is no misread), among eight digits or more.
    static const QRegularExpression grouped(QStringLiteral(
        R"((?<![\w.\-])(?:\+?[\w\]\[|]{1,3}[-. ]?)?\(?[\w\]\[|]{2,3}\)?[-. ]?[\w\]\[|]{3}[-. ]?[\w\]\[|]{3,4}(?![\w]))"));
    static const QRegularExpression phone(sensitivePattern(RedactionKind::phone));
    for (auto it = grouped.globalMatch(text); it.hasNext();) {
        const QString found = it.next().captured();
        int digits = 0, others = 0;
        bool besideDigits = true;
        for (qsizetype i = 0; i < found.size(); ++i) {
            if (found.at(i).isDigit()) {
                ++digits;
            } else if (found.at(i).isLetter() || QStringView(u"[]|_").contains(found.at(i))) {
                ++others;
                besideDigits = besideDigits && ((i > 0 && found.at(i - 1).isDigit()) || (i + 1 < found.size() && found.at(i + 1).isDigit()));
            }
        }
        if (digits >= 8 && others >= 1 && others <= 2 && besideDigits && !phone.match(found).hasMatch())
            return true;
    }
    return false;
}

// Whether a line reads like a misread address, key or number: an address whose @ came out as
// another sign, a long key with a stray symbol inside, an access key a character too short or
// too long, or dotted numbers split by a blank.
bool readsDoubtfully(const QString& text)
{
    static const QRegularExpression accessKey(QStringLiteral(R"((?<![A-Za-z0-9])AK[I1lT|]A(?:[0-9A-Z]{15}|[0-9A-Z]{17})(?![A-Za-z0-9]))"));
    // A slash inside a hash or key ("acbh/6ccd"): both sides long and mixing letters and digits,
    // which the parts of a path seldom do.
    static const QRegularExpression slashedKey(QStringLiteral(R"((?=[A-Za-z_\-]*\d)(?=[0-9_\-]*[A-Za-z])[A-Za-z0-9_\-]{8,}/(?=[A-Za-z_\-]*\d)(?=[0-9_\-]*[A-Za-z])[A-Za-z0-9_\-]{8,})"));
    // A card number with a digit read twice.
    static const QRegularExpression longCard(QStringLiteral(R"((?<![A-Za-z0-9.,])\d{17}(?![A-Za-z0-9]))"));
    if (accessKey.match(text).hasMatch() || slashedKey.match(text).hasMatch() || longCard.match(text).hasMatch())
        return true;
    static const QRegularExpression signs[] = {
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9._%+\-]{2,}[(#©®&*][A-Za-z0-9\-]+\.[A-Za-z]{2,})")),
        QRegularExpression(QStringLiteral(R"(\b[A-Z0-9._%+\-]{2,}G[A-Z0-9\-]{2,}\.[A-Z]{2,}\b)")),
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9_\-]{8,}[^\sA-Za-z0-9_\-.@:/=,"'()\[\]{}<>;][A-Za-z0-9_\-]{8,})")),
        QRegularExpression(QStringLiteral(R"(\d{1,3}\.\d{1,3}\.\d{1,3}[ ,;:]\s?\d{1,3}|\d{1,3}[ ,;:]\s?\d{1,3}\.\d{1,3}\.\d{1,3})")),
        // A dot lost in small print: dotted numbers with two groups run together, or an address
        // whose domain runs into its ending.
        QRegularExpression(QStringLiteral(R"((?<![\d.])\d{1,3}\.(?:\d{4,6}\.\d{1,3}|\d{1,3}\.\d{4,6})(?![\d.]))")),
        QRegularExpression(QStringLiteral(R"(@[A-Za-z0-9\-]{3,}(?:com|COM|dev|DEV|org|ORG|net|NET|io|IO)(?![A-Za-z0-9.\-]))")),
    };
    if (text.contains(u'@'))
        return std::any_of(std::begin(signs) + 2, std::end(signs), [&](const QRegularExpression& e) { return e.match(text).hasMatch(); });
    return std::any_of(std::begin(signs), std::end(signs), [&](const QRegularExpression& e) { return e.match(text).hasMatch(); });
}
