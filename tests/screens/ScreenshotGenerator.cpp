#include "screens/ScreenshotGenerator.h"

#include "vision/SensitiveTextDetector.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <functional>

namespace {

struct Palette {
    QColor window, sidebar, text, secondary, faint, accent, onAccent, separator, selection, onSelection,
        card, field, titleBar, bubbleOther, onBubbleOther, warning, success, danger, codeBg, gutter;
};

Palette paletteFor(ShotTheme theme)
{
    if (theme == ShotTheme::dark) {
        return { QColor(0x1e1e1e), QColor(0x2a2a2c), QColor(0xececec), QColor(0x98989d), QColor(0x6c6c70),
            QColor(0x0a84ff), QColor(0xffffff), QColor(0x3a3a3c), QColor(0x0058d0), QColor(0xffffff),
            QColor(0x2c2c2e), QColor(0x1c1c1e), QColor(0x323234), QColor(0x3a3a3c), QColor(0xececec),
            QColor(0xffd60a), QColor(0x30d158), QColor(0xff453a), QColor(0x1f1f24), QColor(0x5c5c63) };
    }
    return { QColor(0xffffff), QColor(0xf2f2f7), QColor(0x1d1d1f), QColor(0x6e6e73), QColor(0x9a9aa0),
        QColor(0x007aff), QColor(0xffffff), QColor(0xd1d1d6), QColor(0x2f6fde), QColor(0xffffff),
        QColor(0xfafafa), QColor(0xffffff), QColor(0xe8e8ea), QColor(0xe9e9eb), QColor(0x1d1d1f),
        QColor(0xffcc00), QColor(0x34c759), QColor(0xff3b30), QColor(0xfbfbfd), QColor(0xa0a0a8) };
}

class Rng {
public:
    explicit Rng(quint32 seed) : m_gen(seed) { }
    int range(int lo, int hi) { return lo + int(m_gen.bounded(quint32(hi - lo + 1))); }
    bool chance(int percent) { return range(1, 100) <= percent; }
    template <typename T>
    const T& pick(const QList<T>& list) { return list.at(range(0, int(list.size()) - 1)); }
    QString digits(int n)
    {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QChar(u'0' + range(0, 9));
        return s;
    }
    QString minutes() { return QString::number(range(0, 59)).rightJustified(2, u'0'); }
    QString chars(int n, QStringView alphabet)
    {
        QString s;
        for (int i = 0; i < n; ++i)
            s += alphabet.at(range(0, int(alphabet.size()) - 1));
        return s;
    }

private:
    QRandomGenerator m_gen;
};

const QList<QString> firstNames { "Jane", "Omar", "Lucia", "Kenji", "Priya", "Marcus", "Elena", "Tobias",
    "Amara", "Felix", "Ingrid", "Rafael", "Sofia", "Dmitri", "Hannah", "Victor", "Noor", "Carlos" };
const QList<QString> lastNames { "Doe", "Haddad", "Romero", "Tanaka", "Sharma", "Bell", "Petrova",
    "Keller", "Okafor", "Brandt", "Larsen", "Silva", "Moretti", "Volkov", "Schmidt", "Laurent" };
const QList<QString> domains { "example.com", "acme.io", "northwind.co.uk", "contoso.org", "mailbox.net",
    "fabrikam.dev", "globex.com", "initech.co" };
const QList<QString> words { "the", "project", "update", "review", "meeting", "quarterly", "report",
    "please", "team", "design", "notes", "before", "release", "budget", "schedule", "draft", "final",
    "about", "customer", "invoice", "account", "settings", "server", "deploy", "tomorrow", "morning",
    "attached", "thanks", "again", "latest", "version", "changes", "follow", "weekly", "planning",
    "agenda", "feedback", "launch", "support", "ticket", "status", "pending", "approved", "shipping" };

QString fullName(Rng& r) { return r.pick(firstNames) + u' ' + r.pick(lastNames); }

QString email(Rng& r)
{
    const QString first = r.pick(firstNames).toLower();
    const QString last = r.pick(lastNames).toLower();
    switch (r.range(0, 5)) {
    case 0: return first + u'.' + last + u'@' + r.pick(domains);
    case 1: return first + u'@' + r.pick(domains);
    case 2: return first.left(1) + last + r.digits(2) + u'@' + r.pick(domains);
    case 3: return (first + u'.' + last + u'@' + r.pick(domains)).toUpper();
    case 4: return first + u'+' + r.pick(words) + u'@' + r.pick(domains);
    default: return first + u'_' + last + u'@' + r.pick(domains);
    }
}

QString phone(Rng& r)
{
    const QString a = QString::number(r.range(201, 989)), b = r.digits(3), c = r.digits(4);
    switch (r.range(0, 4)) {
    case 0: return u'(' + a + QStringLiteral(") ") + b + u'-' + c;
    case 1: return a + u'-' + b + u'-' + c;
    case 2: return QStringLiteral("+1 ") + a + u' ' + b + u' ' + c;
    case 3: return a + u'.' + b + u'.' + c;
    default: return QStringLiteral("+44 (") + a + QStringLiteral(") ") + b + u' ' + c;
    }
}

QString card(Rng& r)
{
    switch (r.range(0, 3)) {
    case 0: return QStringLiteral("4") + r.digits(3) + u' ' + r.digits(4) + u' ' + r.digits(4) + u' ' + r.digits(4);
    case 1: return QStringLiteral("5") + r.digits(3) + u'-' + r.digits(4) + u'-' + r.digits(4) + u'-' + r.digits(4);
    case 2: return QStringLiteral("37") + r.digits(2) + u' ' + r.digits(6) + u' ' + r.digits(5);
    default: return QStringLiteral("4") + r.digits(15);
    }
}

QString ip(Rng& r)
{
    switch (r.range(0, 3)) {
    case 0: return QStringLiteral("192.168.") + QString::number(r.range(0, 255)) + u'.' + QString::number(r.range(1, 254));
    case 1: return QStringLiteral("10.") + QString::number(r.range(0, 255)) + u'.' + QString::number(r.range(0, 255)) + u'.'
            + QString::number(r.range(1, 254));
    case 2: return QStringLiteral("172.16.") + QString::number(r.range(0, 255)) + u'.' + QString::number(r.range(1, 254));
    default: return QString::number(r.range(11, 223)) + u'.' + QString::number(r.range(0, 255)) + u'.'
            + QString::number(r.range(0, 255)) + u'.' + QString::number(r.range(1, 254));
    }
}

QString money(Rng& r)
{
    const QString whole = QString::number(r.range(1, 9)) + u',' + r.digits(3);
    switch (r.range(0, 5)) {
    case 0: return u'$' + whole + u'.' + r.digits(2);
    case 1: return QStringLiteral("\u20AC") + QString::number(r.range(10, 999)) + u'.' + r.digits(2);
    case 2: return QStringLiteral("\u00A3") + QString::number(r.range(5, 950));
    case 3: return QStringLiteral("$ ") + whole + u'.' + r.digits(2);
    case 4: return QStringLiteral("\u20AC") + QString::number(r.range(1000, 9999)) + u',' + r.digits(2);
    default: return u'$' + QString::number(r.range(2, 99)) + QStringLiteral(".99");
    }
}

QString apiKey(Rng& r)
{
    const QStringView alnum = u"ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    const QStringView upper = u"ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    const QStringView hex = u"0123456789abcdef";
    switch (r.range(0, 3)) {
    case 0: return QStringLiteral("sk-") + r.chars(r.range(20, 32), alnum);
    case 1: return QStringLiteral("AKIA") + r.chars(16, upper);
    case 2: return r.chars(40, hex);
    default: return QStringLiteral("ghp_") + r.chars(32, alnum);
    }
}

// Texts that look sensitive but that the patterns must not take.
QString distractor(Rng& r)
{
    switch (r.range(0, 9)) {
    case 0: return QStringLiteral("Order #") + r.digits(5);
    case 1: return QStringLiteral("v") + QString::number(r.range(1, 9)) + u'.' + QString::number(r.range(0, 20)) + u'.'
            + QString::number(r.range(0, 9));
    case 2: return QStringLiteral("2024-0") + QString::number(r.range(1, 9)) + u'-' + QString::number(r.range(10, 28)) + u' '
            + QString::number(r.range(10, 23)) + u':' + r.minutes();
    case 3: return QString::number(r.range(10, 99)) + u'.' + r.digits(1) + u'%';
    case 4: return QString::number(r.range(1, 9)) + u',' + r.digits(3) + QStringLiteral(" views");
    case 5: return QStringLiteral("ID ") + r.digits(4) + u'-' + r.digits(4);
    case 6: return QStringLiteral("build ") + r.chars(7, QStringLiteral("0123456789abcdef"));
    case 7: return QStringLiteral("sk-test");
    case 8: return QStringLiteral("Ref ") + r.digits(6);
    default: return QStringLiteral("Room ") + QString::number(r.range(100, 999)) + QStringLiteral(", floor ") + QString::number(r.range(2, 9));
    }
}

QString sentence(Rng& r, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << r.pick(words);
    out[0][0] = out[0][0].toUpper();
    return out.join(u' ');
}

// Paints in logical coordinates and records every text run it draws, in device pixels.
class Canvas {
public:
    Canvas(const ShotRecipe& recipe, QColor background, Rng& rng)
        : m_scale(recipe.scale)
        , image(QSize(qRound(recipe.logicalSize.width() * recipe.scale), qRound(recipe.logicalSize.height() * recipe.scale)),
              QImage::Format_ARGB32_Premultiplied)
        , m_rng(rng)
        , m_varied(recipe.varied)
    {
        image.fill(background);
        painter.begin(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // Windows rarely sit on whole pixels of a scaled or cropped shot.
        if (recipe.varied)
            m_offset = QPointF(rng.range(0, 99) / 100.0, rng.range(0, 99) / 100.0);
        painter.translate(m_offset);
    }
    ~Canvas()
    {
        if (painter.isActive())
            painter.end();
    }

    QRectF dev(const QRectF& r) const { return { r.x() * m_scale, r.y() * m_scale, r.width() * m_scale, r.height() * m_scale }; }

    void fill(const QRectF& r, const QColor& c, qreal radius = 0)
    {
        painter.setPen(Qt::NoPen);
        // Large panels of varied shots are now and then tinted gradients.
        if (m_varied && r.width() >= 160 && r.height() >= 80 && m_rng.chance(30)) {
            QLinearGradient g(dev(r).topLeft(), m_rng.chance(50) ? dev(r).bottomLeft() : dev(r).topRight());
            const int shift = m_rng.range(8, 22);
            g.setColorAt(0, shade(c, shift));
            g.setColorAt(1, shade(c, -shift));
            painter.setBrush(g);
        } else {
            painter.setBrush(c);
        }
        if (radius > 0)
            painter.drawRoundedRect(dev(r), radius * m_scale, radius * m_scale);
        else
            painter.drawRect(dev(r));
    }
    void frame(const QRectF& r, const QColor& c, qreal radius = 0)
    {
        painter.setPen(QPen(c, m_scale));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(dev(r.adjusted(0.5, 0.5, -0.5, -0.5)), radius * m_scale, radius * m_scale);
    }
    void circle(QPointF centre, qreal radius, const QColor& c)
    {
        painter.setPen(Qt::NoPen);
        painter.setBrush(c);
        painter.drawEllipse(QPointF(centre.x() * m_scale, centre.y() * m_scale), radius * m_scale, radius * m_scale);
    }

    QFont font(const QString& family, qreal size, bool bold = false) const
    {
        QFont f(family);
        f.setPixelSize(qRound(size * m_scale));
        f.setBold(bold);
        return f;
    }
    qreal width(const QString& text, const QFont& f) const { return QFontMetricsF(f).horizontalAdvance(text) / m_scale; }

    // Draws `text` with its baseline at `baseline`; returns the logical x after it.
    qreal text(qreal x, qreal baseline, const QString& text, const QFont& f, const QColor& c)
    {
        const QPointF origin(x * m_scale, baseline * m_scale);
        const QFontMetricsF fm(f);
        const qreal top = origin.y() - fm.ascent(), height = fm.ascent() + fm.descent();
        // Text the window edge would cut is left out, so that the truth holds only what shows.
        if (!QRectF(image.rect()).contains(QRectF(origin.x(), top, fm.horizontalAdvance(text), height)))
            return x + fm.horizontalAdvance(text) / m_scale;
        if (shadow.alpha()) {
            painter.setFont(f);
            painter.setPen(shadow);
            painter.drawText(origin + QPointF(m_scale, m_scale), text);
        }
        painter.setFont(f);
        painter.setPen(c);
        painter.drawText(origin, text);
        const QPointF at = origin + m_offset;
        texts.append({ text, QRectF(at.x(), top + m_offset.y(), fm.horizontalAdvance(text), height).toAlignedRect() });
        planted += itemsDrawn(text, fm, at);
        return x + fm.horizontalAdvance(text) / m_scale;
    }

    static QColor shade(const QColor& c, int by)
    {
        const QColor hsv = c.toHsv();
        return QColor::fromHsv(hsv.hsvHue(), hsv.hsvSaturation(), std::clamp(hsv.value() + by, 0, 255), c.alpha());
    }

    qreal m_scale;
    QImage image;
    Rng& m_rng;
    bool m_varied;
    QPointF m_offset;
    QColor shadow { 0, 0, 0, 0 }; // drawn one pixel down and right of the text when set
    QPainter painter;
    QList<TruthText> texts;
    QList<PlantedItem> planted;
};

struct Scene {
    Canvas& c;
    Rng& r;
    const Palette& pal;
    QString ui;   // UI family
    QString mono; // monospaced family
    qreal w, h;
    bool dense;
    bool varied;

    QFont f(qreal size, bool bold = false) const { return c.font(ui, size, bold); }
    QFont m(qreal size, bool bold = false) const { return c.font(mono, size, bold); }

    // A window title bar with its three buttons and a centred title.
    qreal titleBar(const QString& title)
    {
        c.fill({ 0, 0, w, 30 }, pal.titleBar);
        c.circle({ 16, 15 }, 6, QColor(0xff5f57));
        c.circle({ 36, 15 }, 6, QColor(0xfebc2e));
        c.circle({ 56, 15 }, 6, QColor(0x28c840));
        const QFont font = f(13, true);
        c.text((w - c.width(title, font)) / 2, 20, title, font, pal.text);
        c.fill({ 0, 30, w, 1 }, pal.separator);
        return 31;
    }

    // A sensitive item or, now and then, a distractor.
    QString item(int sensitivePercent, const std::function<QString(Rng&)>& make)
    {
        return r.chance(sensitivePercent) ? make(r) : distractor(r);
    }
};

void paintMail(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("Inbox \u2014 Mail"));
    const qreal side = 200, listW = 380;
    s.c.fill({ 0, top, side, s.h - top }, s.pal.sidebar);
    const QStringList folders { "Inbox", "Drafts", "Sent", "Archive", "Junk", "Receipts", "Travel", "Clients" };
    qreal y = top + 34;
    for (int i = 0; i < folders.size(); ++i) {
        if (i == 0)
            s.c.fill({ 8, y - 17, side - 16, 24 }, s.pal.selection, 6);
        s.c.text(20, y, folders[i], s.f(13), i == 0 ? s.pal.onSelection : s.pal.text);
        if (i == 0) {
            s.c.fill({ side - 44, y - 14, 26, 18 }, s.pal.onSelection.darker(110), 9);
            s.c.text(side - 38, y - 1, QString::number(s.r.range(10, 99)), s.f(11, true), s.pal.selection);
        }
        y += 30;
    }
    s.c.fill({ side, top, 1, s.h - top }, s.pal.separator);
    // Message list.
    y = top;
    const int rows = int((s.h - top) / 74);
    for (int i = 0; i < rows; ++i) {
        const bool selected = i == 1;
        QColor fg = s.pal.text, sub = s.pal.secondary;
        if (selected) {
            s.c.fill({ side + 1, y, listW, 74 }, s.pal.selection);
            fg = sub = s.pal.onSelection;
        }
        s.c.text(side + 16, y + 22, s.r.chance(50) ? fullName(s.r) : email(s.r), s.f(13, true), fg);
        s.c.text(side + listW - 70, y + 22, QStringLiteral("%1:%2").arg(s.r.range(8, 18)).arg(s.r.minutes()), s.f(11), sub);
        s.c.text(side + 16, y + 42, sentence(s.r, 4), s.f(12), fg);
        const QString preview = s.r.chance(40) ? QStringLiteral("Total due ") + money(s.r) : sentence(s.r, 5);
        s.c.text(side + 16, y + 60, preview, s.f(12), sub);
        y += 74;
        s.c.fill({ side + 1, y - 1, listW, 1 }, s.pal.separator);
    }
    const qreal x0 = side + listW + 1;
    s.c.fill({ x0, top, 1, s.h - top }, s.pal.separator);
    // Reading pane: header, body, signature.
    const qreal px = x0 + 28;
    y = top + 40;
    s.c.text(px, y, sentence(s.r, 5), s.f(20, true), s.pal.text);
    y += 30;
    const QString sender = fullName(s.r);
    s.c.text(px, y, sender + QStringLiteral(" <") + email(s.r) + u'>', s.f(13), s.pal.text);
    y += 20;
    s.c.text(px, y, QStringLiteral("To: ") + email(s.r), s.f(12), s.pal.secondary);
    y += 34;
    const int paragraphs = s.dense ? 6 : 3;
    for (int p = 0; p < paragraphs; ++p) {
        for (int l = 0; l < 3; ++l) {
            QString line = sentence(s.r, s.r.range(7, 11));
            if (l == 1 && p % 2 == 0)
                line += QStringLiteral(" ") + s.item(70, money);
            if (l == 2 && p == 1)
                line += QStringLiteral(" via ") + s.item(80, email);
            if (s.dense && l == 0 && p % 2 == 1)
                line = sentence(s.r, 4) + QStringLiteral(" token ") + apiKey(s.r);
            s.c.text(px, y, line, s.f(14), s.pal.text);
            y += 22;
        }
        y += 12;
    }
    // A signature: name, phone alone on its line, e-mail.
    s.c.text(px, y, sender, s.f(14, true), s.pal.text);
    s.c.text(px, y + 22, phone(s.r), s.f(14), s.pal.secondary);
    s.c.text(px, y + 44, email(s.r), s.f(14), s.pal.accent);
    y += 80;
    // A forwarded receipt on a tinted card.
    if (y + 90 < s.h) {
        s.c.fill({ px, y, 520, 84 }, s.pal.warning.lighter(s.pal.window.lightness() > 128 ? 170 : 60), 8);
        const QColor ink = s.pal.window.lightness() > 128 ? QColor(0x3a2f00) : QColor(0xfff4c0);
        s.c.text(px + 16, y + 28, QStringLiteral("Card on file"), s.f(13, true), ink);
        s.c.text(px + 200, y + 28, card(s.r), s.f(13), ink);
        s.c.text(px + 16, y + 58, QStringLiteral("Charged"), s.f(13, true), ink);
        s.c.text(px + 200, y + 58, money(s.r), s.f(13), ink);
    }
}

// Colours of a terminal or code editor theme.
struct CodeColours {
    QColor bg, fg, keyword, string, comment, number, green, blue, dim;
};

const QList<CodeColours> darkCodeThemes {
    { QColor(0x101216), QColor(0xd0d4da), QColor(0xc586c0), QColor(0xce9178), QColor(0x6a9955), QColor(0xb5cea8), QColor(0x7ee787), QColor(0x79c0ff), QColor(0x6e7681) },
    { QColor(0x282a36), QColor(0xf8f8f2), QColor(0xff79c6), QColor(0xf1fa8c), QColor(0x6272a4), QColor(0xbd93f9), QColor(0x50fa7b), QColor(0x8be9fd), QColor(0x6272a4) },  // purple night
    { QColor(0x002b36), QColor(0x93a1a1), QColor(0x859900), QColor(0x2aa198), QColor(0x586e75), QColor(0xd33682), QColor(0x859900), QColor(0x268bd2), QColor(0x586e75) },  // teal dark
    { QColor(0x282c34), QColor(0xabb2bf), QColor(0xc678dd), QColor(0x98c379), QColor(0x5c6370), QColor(0xd19a66), QColor(0x98c379), QColor(0x61afef), QColor(0x5c6370) },
    { QColor(0x1d2021), QColor(0xebdbb2), QColor(0xfb4934), QColor(0xb8bb26), QColor(0x928374), QColor(0xd3869b), QColor(0xb8bb26), QColor(0x83a598), QColor(0x928374) },  // warm dark
    { QColor(Qt::black), QColor(0xbbbbbb), QColor(0xff5555), QColor(0xffff55), QColor(0x55ff55), QColor(0x55ffff), QColor(0x55ff55), QColor(0x5555ff), QColor(0x888888) },  // plain console
    { QColor(0x1e1e2e), QColor(0xcdd6f4), QColor(0xcba6f7), QColor(0xa6e3a1), QColor(0x6c7086), QColor(0xfab387), QColor(0xa6e3a1), QColor(0x89b4fa), QColor(0x7f849c) },
    { QColor(0x0d1117), QColor(0xc9d1d9), QColor(0xff7b72), QColor(0xa5d6ff), QColor(0x8b949e), QColor(0x79c0ff), QColor(0x3fb950), QColor(0x58a6ff), QColor(0x8b949e) },
};
const QList<CodeColours> lightCodeThemes {
    { QColor(0xfdfdf6), QColor(0x2b2b2b), QColor(0xcf222e), QColor(0x0a3069), QColor(0x6e7781), QColor(0x0550ae), QColor(0x1a7f37), QColor(0x0550ae), QColor(0x8a8a8a) },
    { QColor(0xfdf6e3), QColor(0x586e75), QColor(0x859900), QColor(0x2aa198), QColor(0x93a1a1), QColor(0xd33682), QColor(0x859900), QColor(0x268bd2), QColor(0x93a1a1) },  // teal light
    { QColor(0xffffff), QColor(Qt::black), QColor(0x0000ff), QColor(0xa31515), QColor(0x008000), QColor(0x098658), QColor(0x008000), QColor(0x0000ff), QColor(0x808080) },
    { QColor(0xfafafa), QColor(0x383a42), QColor(0xa626a4), QColor(0x50a14f), QColor(0xa0a1a7), QColor(0x986801), QColor(0x50a14f), QColor(0x4078f2), QColor(0xa0a1a7) },
};

CodeColours codeColours(Scene& s, bool dark)
{
    if (!s.varied)
        return dark ? darkCodeThemes[0] : lightCodeThemes[0];
    return dark ? s.r.pick(darkCodeThemes) : s.r.pick(lightCodeThemes);
}

void paintTerminal(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("admin@build-01: ~"));
    const bool dark = s.pal.window.lightness() < 128 || s.r.chance(60);
    const CodeColours theme = codeColours(s, dark);
    const QColor bg = theme.bg, fg = theme.fg, green = theme.green, blue = theme.blue, dim = theme.dim;
    s.c.fill({ 0, top, s.w, s.h - top }, bg);
    const qreal size = s.dense ? 12 : 13, lh = s.dense ? 15 : 17;
    qreal y = top + 20;
    auto prompt = [&](const QString& cmd) {
        qreal x = s.c.text(10, y, QStringLiteral("admin@build-01"), s.m(size, true), green);
        x = s.c.text(x, y, QStringLiteral(":~$"), s.m(size), blue);
        s.c.text(x + s.c.width(QStringLiteral(" "), s.m(size)), y, cmd, s.m(size), fg);
        y += lh;
    };
    auto out = [&](const QString& line, const QColor& color) {
        s.c.text(10, y, line, s.m(size), color);
        y += lh;
    };
    while (y < s.h - lh) {
        switch (s.r.range(0, 6)) {
        case 0:
            prompt(QStringLiteral("ping -c 2 ") + ip(s.r));
            for (int i = 0; i < 2; ++i)
                out(QStringLiteral("64 bytes from %1: icmp_seq=%2 ttl=57 time=%3.%4 ms")
                        .arg(ip(s.r)).arg(i + 1).arg(s.r.range(3, 40)).arg(s.r.digits(1)), fg);
            break;
        case 1:
            prompt(QStringLiteral("export OPENAI_API_KEY=") + apiKey(s.r));
            break;
        case 2:
            prompt(QStringLiteral("git log --oneline -3"));
            for (int i = 0; i < 3; ++i)
                out(s.r.chars(7, QStringLiteral("0123456789abcdef")) + u' ' + sentence(s.r, 5), fg);
            break;
        case 3:
            prompt(QStringLiteral("cat ~/.aws/credentials"));
            out(QStringLiteral("[default]"), fg);
            out(QStringLiteral("aws_access_key_id = ") + apiKey(s.r), fg);
            break;
        case 4:
            prompt(QStringLiteral("ssh deploy@") + ip(s.r));
            out(QStringLiteral("Last login: Tue Mar 12 09:41:07 2024 from ") + ip(s.r), dim);
            break;
        case 5:
            prompt(QStringLiteral("grep -r contact config/"));
            out(QStringLiteral("config/app.yml:  support: ") + email(s.r), fg);
            out(QStringLiteral("config/app.yml:  release: ") + distractor(s.r), fg);
            break;
        default:
            prompt(QStringLiteral("ls -la"));
            for (int i = 0; i < 3; ++i)
                out(QStringLiteral("-rw-r--r--  1 admin staff  %1 Mar %2 10:%3 %4.txt")
                        .arg(s.r.range(100, 9999), 5).arg(s.r.range(10, 28)).arg(s.r.minutes()).arg(s.r.pick(words)), fg);
            break;
        }
    }
}

void paintSettings(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("Account Settings"));
    const qreal side = 220;
    s.c.fill({ 0, top, side, s.h - top }, s.pal.sidebar);
    const QStringList sections { "General", "Account", "Billing", "Security", "Network", "Developer", "Notifications" };
    qreal y = top + 36;
    for (int i = 0; i < sections.size(); ++i) {
        if (i == 1)
            s.c.fill({ 10, y - 18, side - 20, 26 }, s.pal.accent, 6);
        s.c.text(24, y, sections[i], s.f(13), i == 1 ? s.pal.onAccent : s.pal.text);
        y += 32;
    }
    const qreal x0 = side + 40, labelW = 190, fieldW = 420;
    y = top + 50;
    s.c.text(x0, y, QStringLiteral("Account"), s.f(22, true), s.pal.text);
    y += 40;
    struct Row { QString label; std::function<QString(Rng&)> make; };
    QList<Row> rows { { "Full name", fullName }, { "Email", email }, { "Phone", phone },
        { "Backup email", email }, { "Card number", card }, { "Monthly limit", money },
        { "Server address", ip }, { "API token", apiKey }, { "Access key", apiKey }, { "Gateway", ip } };
    if (s.dense)
        rows += rows;
    for (const Row& row : rows) {
        if (y + 40 > s.h)
            break;
        s.c.text(x0, y + 19, row.label, s.f(13), s.pal.secondary);
        s.c.fill({ x0 + labelW, y, fieldW, 28 }, s.pal.field, 6);
        s.c.frame({ x0 + labelW, y, fieldW, 28 }, s.pal.separator, 6);
        const QString value = s.r.chance(85) ? row.make(s.r) : distractor(s.r);
        s.c.text(x0 + labelW + 10, y + 19, value, s.f(13), s.pal.text);
        y += 42;
    }
    // Placeholder text, a hint in faint grey and the buttons.
    s.c.fill({ x0 + labelW, y, fieldW, 28 }, s.pal.field, 6);
    s.c.frame({ x0 + labelW, y, fieldW, 28 }, s.pal.separator, 6);
    s.c.text(x0, y + 19, QStringLiteral("Recovery"), s.f(13), s.pal.secondary);
    s.c.text(x0 + labelW + 10, y + 19, QStringLiteral("e.g. ") + email(s.r), s.f(13), s.pal.faint);
    y += 50;
    if (y + 40 < s.h) {
        s.c.fill({ x0 + labelW, y, 96, 30 }, s.pal.accent, 7);
        s.c.text(x0 + labelW + 28, y + 20, QStringLiteral("Save"), s.f(13, true), s.pal.onAccent);
        s.c.fill({ x0 + labelW + 110, y, 96, 30 }, s.pal.danger, 7);
        s.c.text(x0 + labelW + 128, y + 20, QStringLiteral("Delete"), s.f(13, true), QColor(Qt::white));
    }
    // A status bar at the bottom.
    s.c.fill({ side, s.h - 26, s.w - side, 26 }, s.pal.success.darker(140));
    s.c.text(side + 12, s.h - 8, QStringLiteral("Connected to ") + ip(s.r), s.f(12), QColor(Qt::white));
}

void paintChat(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("Messages"));
    const qreal side = 260;
    s.c.fill({ 0, top, side, s.h - top }, s.pal.sidebar);
    qreal y = top + 12;
    for (int i = 0; i < 8; ++i) {
        if (i == 0)
            s.c.fill({ 8, y, side - 16, 58 }, s.pal.selection, 8);
        const QColor fg = i == 0 ? s.pal.onSelection : s.pal.text;
        s.c.circle({ 36, y + 29 }, 18, QColor::fromHsv((i * 47) % 360, 120, 200));
        s.c.text(64, y + 24, fullName(s.r), s.f(13, true), fg);
        s.c.text(64, y + 44, sentence(s.r, 3), s.f(12), i == 0 ? fg : s.pal.secondary);
        y += 64;
    }
    const qreal x0 = side + 1, cw = s.w - x0;
    s.c.fill({ side, top, 1, s.h - top }, s.pal.separator);
    y = top + 30;
    int n = 0;
    while (y < s.h - 80) {
        const bool mine = n++ % 2 == 1;
        QString message;
        switch (s.r.range(0, 6)) {
        case 0: message = QStringLiteral("My email is ") + email(s.r); break;
        case 1: message = QStringLiteral("Sent you ") + money(s.r) + QStringLiteral(" for dinner"); break;
        case 2: message = phone(s.r); break;
        case 3: message = QStringLiteral("The server is at ") + ip(s.r); break;
        case 4: message = sentence(s.r, 6) + QStringLiteral(" ") + distractor(s.r); break;
        case 5: message = s.r.chance(50) ? QStringLiteral("key: ") + apiKey(s.r) : QStringLiteral("Card ") + card(s.r); break;
        default: message = sentence(s.r, 7); break;
        }
        const QFont font = s.f(14);
        const qreal bw = s.c.width(message, font) + 28;
        const qreal bx = mine ? x0 + cw - bw - 24 : x0 + 24;
        s.c.fill({ bx, y, bw, 34 }, mine ? s.pal.accent : s.pal.bubbleOther, 17);
        s.c.text(bx + 14, y + 22, message, font, mine ? s.pal.onAccent : s.pal.onBubbleOther);
        y += 42;
        if (s.r.chance(30)) {
            const QString stamp = QStringLiteral("Today %1:%2").arg(s.r.range(8, 20)).arg(s.r.minutes());
            s.c.text(x0 + cw / 2 - 40, y + 10, stamp, s.f(11), s.pal.faint);
            y += 24;
        }
    }
    s.c.fill({ x0 + 16, s.h - 52, cw - 32, 36 }, s.pal.field, 18);
    s.c.frame({ x0 + 16, s.h - 52, cw - 32, 36 }, s.pal.separator, 18);
    s.c.text(x0 + 34, s.h - 29, QStringLiteral("iMessage"), s.f(13), s.pal.faint);
}

void paintCode(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("config.ts \u2014 server"));
    const bool dark = s.pal.window.lightness() < 128;
    const CodeColours theme = codeColours(s, dark);
    const QColor bg = s.varied ? theme.bg : s.pal.codeBg;
    const QColor fg = s.varied ? theme.fg : dark ? QColor(0xd4d4d4) : QColor(0x24292f);
    const QColor keyword = theme.keyword, string = theme.string, comment = theme.comment, number = theme.number;
    const qreal side = 220;
    s.c.fill({ 0, top, side, s.h - top }, s.pal.sidebar);
    qreal y = top + 26;
    const QStringList files { "src", "  config.ts", "  server.ts", "  routes.ts", "  billing.ts", "tests", ".env", "README.md" };
    for (int i = 0; i < files.size(); ++i) {
        if (i == 1)
            s.c.fill({ 0, y - 15, side, 22 }, s.pal.selection);
        s.c.text(14, y, files[i], s.f(13), i == 1 ? s.pal.onSelection : s.pal.text);
        y += 22;
    }
    s.c.fill({ side, top, s.w - side, s.h - top }, bg);
    // Tab bar.
    s.c.fill({ side, top, s.w - side, 32 }, s.pal.sidebar);
    s.c.fill({ side, top, 150, 32 }, bg);
    s.c.text(side + 16, top + 21, QStringLiteral("config.ts"), s.f(13), fg);
    const qreal size = s.dense ? 13 : 14, lh = s.dense ? 19 : 21;
    y = top + 32 + 22;
    int lineNo = 1;
    const qreal codeX = side + 60;
    while (y < s.h - 30) {
        s.c.text(side + 12, y, QString::number(lineNo).rightJustified(3), s.m(size), s.pal.gutter);
        if (lineNo == 6)
            s.c.fill({ side + 50, y - lh + 5, s.w - side - 50, lh }, dark ? QColor(0x2a2d2e) : QColor(0xeef3fb));
        qreal x = codeX;
        switch (s.r.range(0, 7)) {
        case 0:
            x = s.c.text(x, y, QStringLiteral("const "), s.m(size), keyword);
            x = s.c.text(x, y, QStringLiteral("apiKey = "), s.m(size), fg);
            s.c.text(x, y, u'"' + apiKey(s.r) + u'"', s.m(size), string);
            break;
        case 1:
            x = s.c.text(x, y, QStringLiteral("host: "), s.m(size), fg);
            s.c.text(x, y, u'"' + s.item(85, ip) + u'"', s.m(size), string);
            break;
        case 2:
            s.c.text(x, y, QStringLiteral("// contact ") + email(s.r), s.m(size), comment);
            break;
        case 3:
            x = s.c.text(x, y, QStringLiteral("price: "), s.m(size), fg);
            s.c.text(x, y, u'"' + money(s.r) + u'"', s.m(size), string);
            break;
        case 4:
            if (s.r.chance(50)) {
                x = s.c.text(x, y, QStringLiteral("retries: "), s.m(size), fg);
                s.c.text(x, y, QString::number(s.r.range(1, 9)) + u',', s.m(size), number);
            } else {
                x = s.c.text(x, y, QStringLiteral("testCard: "), s.m(size), fg);
                s.c.text(x, y, u'"' + card(s.r) + u'"', s.m(size), string);
            }
            break;
        case 5:
            x = s.c.text(x, y, QStringLiteral("export function "), s.m(size), keyword);
            s.c.text(x, y, s.r.pick(words) + QStringLiteral("Handler(req, res) {"), s.m(size), fg);
            break;
        case 6:
            s.c.text(x, y, QStringLiteral("  return ") + s.r.pick(words) + u'(' + s.r.pick(words) + QStringLiteral(");"), s.m(size), fg);
            break;
        default:
            s.c.text(x, y, QStringLiteral("// ") + sentence(s.r, 6), s.m(size), comment);
            break;
        }
        y += lh;
        ++lineNo;
    }
    s.c.fill({ side, s.h - 24, s.w - side, 24 }, s.pal.accent);
    s.c.text(side + 12, s.h - 7, QStringLiteral("main  Ln %1, Col %2  UTF-8").arg(s.r.range(1, 80)).arg(s.r.range(1, 40)),
        s.f(12), s.pal.onAccent);
}

void paintTable(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("Customers \u2014 CRM"));
    const qreal x0 = 24, tableW = s.w - 48;
    qreal y = top + 24;
    s.c.text(x0, y + 16, QStringLiteral("Customers"), s.f(22, true), s.pal.text);
    s.c.fill({ s.w - 24 - 120, y, 120, 30 }, s.pal.accent, 7);
    s.c.text(s.w - 24 - 100, y + 20, QStringLiteral("Export CSV"), s.f(13, true), s.pal.onAccent);
    y += 50;
    const QList<qreal> cols { 0, 190, 470, 640, 770, 920, 1130 };
    const QStringList heads { "Name", "Email", "Phone", "Balance", "Last IP", "Card", "Status" };
    s.c.fill({ x0, y, tableW, 30 }, s.pal.sidebar);
    for (int i = 0; i < heads.size(); ++i)
        if (x0 + cols[i] + 40 < s.w)
            s.c.text(x0 + 12 + cols[i], y + 20, heads[i], s.f(12, true), s.pal.secondary);
    y += 30;
    const qreal rowH = s.dense ? 30 : 36;
    int row = 0;
    while (y + rowH < s.h - 10) {
        const bool selected = row == 3;
        QColor fg = s.pal.text;
        if (selected) {
            s.c.fill({ x0, y, tableW, rowH }, s.pal.selection);
            fg = s.pal.onSelection;
        } else if (row % 2 == 1) {
            s.c.fill({ x0, y, tableW, rowH }, s.pal.sidebar.lighter(s.pal.window.lightness() > 128 ? 102 : 90));
        }
        const qreal base = y + rowH / 2 + 5;
        const QFont font = s.f(13);
        const QStringList cells { fullName(s.r), email(s.r), s.item(85, phone), money(s.r), ip(s.r),
            s.r.chance(35) ? card(s.r) : QStringLiteral("\u2022\u2022\u2022\u2022 ") + s.r.digits(4) };
        for (int i = 0; i < cells.size(); ++i)
            if (x0 + cols[i] + 40 < s.w)
                s.c.text(x0 + 12 + cols[i], base, cells[i], font, fg);
        if (x0 + cols[6] + 80 < s.w) {
            const bool active = s.r.chance(60);
            const QColor badge = active ? s.pal.success : s.pal.warning;
            s.c.fill({ x0 + 12 + cols[6], y + rowH / 2 - 10, 66, 20 }, badge, 10);
            s.c.text(x0 + 20 + cols[6], base - 1, active ? QStringLiteral("Active") : QStringLiteral("Trial"),
                s.f(11, true), active ? QColor(Qt::white) : QColor(0x3a2f00));
        }
        y += rowH;
        s.c.fill({ x0, y - 1, tableW, 1 }, s.pal.separator);
        ++row;
    }
}

void paintWeb(Scene& s)
{
    qreal top = s.titleBar(QStringLiteral("Northwind Cloud \u2014 Pricing"));
    // Address bar.
    s.c.fill({ 0, top, s.w, 40 }, s.pal.sidebar);
    s.c.fill({ 120, top + 7, s.w - 240, 26 }, s.pal.field, 13);
    s.c.text(140, top + 25, QStringLiteral("https://northwind.example/pricing?ref=") + s.r.digits(6), s.f(12), s.pal.secondary);
    top += 40;
    const QColor brand = QColor::fromHsv(s.r.range(0, 359), 190, 170);
    s.c.fill({ 0, top, s.w, 56 }, brand);
    qreal x = s.c.text(32, top + 36, QStringLiteral("Northwind"), s.f(20, true), QColor(Qt::white));
    for (const char* item : { "Product", "Pricing", "Docs", "Contact" })
        x = s.c.text(x + 60, top + 34, QString::fromLatin1(item), s.f(14), QColor(Qt::white));
    qreal y = top + 110;
    const QString headline = QStringLiteral("Simple pricing for every team");
    s.c.text((s.w - s.c.width(headline, s.f(34, true))) / 2, y, headline, s.f(34, true), s.pal.text);
    y += 36;
    const QString sub = sentence(s.r, 9);
    s.c.text((s.w - s.c.width(sub, s.f(16))) / 2, y, sub, s.f(16), s.pal.secondary);
    y += 40;
    const qreal cardW = std::min<qreal>(300, (s.w - 120) / 3);
    for (int i = 0; i < 3; ++i) {
        const qreal cx = (s.w - 3 * cardW - 40) / 2 + i * (cardW + 20);
        const bool featured = i == 1;
        s.c.fill({ cx, y, cardW, 240 }, featured ? brand : s.pal.card, 14);
        if (!featured)
            s.c.frame({ cx, y, cardW, 240 }, s.pal.separator, 14);
        const QColor fg = featured ? QColor(Qt::white) : s.pal.text;
        s.c.text(cx + 24, y + 40, QStringList { "Starter", "Team", "Enterprise" }[i], s.f(16, true), fg);
        s.c.text(cx + 24, y + 90, money(s.r), s.f(32, true), fg);
        s.c.text(cx + 24, y + 116, QStringLiteral("per user / month"), s.f(12), featured ? fg : s.pal.secondary);
        for (int l = 0; l < 3; ++l)
            s.c.text(cx + 24, y + 150 + l * 22, QStringLiteral("\u2713 ") + sentence(s.r, 3), s.f(13), fg);
    }
    y += 270;
    const int paragraphs = s.dense ? 4 : 2;
    for (int p = 0; p < paragraphs && y + 60 < s.h - 110; ++p) {
        for (int l = 0; l < 2; ++l) {
            QString line = sentence(s.r, s.r.range(9, 13));
            if (l == 1)
                line += QStringLiteral(" ") + distractor(s.r);
            s.c.text(120, y, line, s.f(15), s.pal.text);
            y += 24;
        }
        y += 10;
    }
    // Footer with contact details.
    const qreal fy = s.h - 100;
    s.c.fill({ 0, fy, s.w, 100 }, QColor(0x15171c));
    s.c.text(40, fy + 32, QStringLiteral("Sales"), s.f(13, true), QColor(0xffffff));
    s.c.text(40, fy + 56, email(s.r), s.f(13), QColor(0xb8bcc6));
    s.c.text(40, fy + 78, phone(s.r), s.f(13), QColor(0xb8bcc6));
    s.c.text(420, fy + 32, QStringLiteral("Status API"), s.f(13, true), QColor(0xffffff));
    s.c.text(420, fy + 56, ip(s.r), s.f(13), QColor(0x8a8f99));
    s.c.text(420, fy + 78, distractor(s.r), s.f(13), QColor(0x8a8f99));
    if (s.w > 900) {
        s.c.text(800, fy + 32, QStringLiteral("Support"), s.f(13, true), QColor(0xffffff));
        s.c.text(800, fy + 56, email(s.r), s.f(13), QColor(0xb8bcc6));
    }
}


// A log viewer: timestamps, levels and JSON records with secrets inside long lines.
void paintLog(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("journal \u2014 api-gateway"));
    const bool dark = s.pal.window.lightness() < 128 || s.r.chance(50);
    const CodeColours theme = codeColours(s, dark);
    s.c.fill({ 0, top, s.w, s.h - top }, theme.bg);
    const qreal size = s.r.pick(QList<qreal> { 11, 12, 13, 14 }), lh = size + s.r.range(3, 7);
    const QStringList levels { "INFO", "WARN", "DEBUG", "ERROR" };
    const QList<QColor> levelColours { theme.green, theme.number, theme.dim, theme.keyword };
    qreal y = top + lh + 4;
    while (y < s.h - 8) {
        const QString stamp = QStringLiteral("2024-0%1-%2T%3:%4:%5Z")
                                  .arg(s.r.range(1, 9))
                                  .arg(s.r.range(10, 28))
                                  .arg(s.r.range(10, 23))
                                  .arg(s.r.minutes())
                                  .arg(s.r.minutes());
        qreal x = s.c.text(10, y, stamp + u' ', s.m(size), theme.dim);
        const int level = s.r.range(0, 3);
        x = s.c.text(x, y, levels[level].leftJustified(6), s.m(size, true), levelColours[level]);
        QString message;
        switch (s.r.range(0, 7)) {
        case 0: message = QStringLiteral("{\"user\":\"%1\",\"ip\":\"%2\",\"status\":%3}").arg(email(s.r), ip(s.r)).arg(s.r.range(200, 503)); break;
        case 1: message = QStringLiteral("auth ok key=%1 client=%2").arg(apiKey(s.r), ip(s.r)); break;
        case 2: message = QStringLiteral("{\"amount\":\"%1\",\"order\":\"%2\"}").arg(money(s.r), distractor(s.r)); break;
        case 3: message = QStringLiteral("payment card=%1 accepted").arg(card(s.r)); break;
        case 4: message = QStringLiteral("connect from %1 port %2").arg(ip(s.r)).arg(s.r.range(1024, 65000)); break;
        case 5: message = QStringLiteral("\"Authorization\": \"Bearer %1\"").arg(apiKey(s.r)); break;
        case 6: message = sentence(s.r, 5) + u' ' + distractor(s.r); break;
        default: message = QStringLiteral("notify %1 via sms").arg(email(s.r)); break;
        }
        s.c.text(x, y, message, s.m(size), theme.fg);
        y += lh;
    }
}

// A smooth photo-like wallpaper: colour blobs over a gradient, with fine grain.
void paintWallpaper(Scene& s)
{
    QPainter& p = s.c.painter;
    const QRectF all = s.c.dev({ 0, 0, s.w, s.h });
    QLinearGradient base(all.topLeft(), all.bottomRight());
    base.setColorAt(0, QColor::fromHsv(s.r.range(0, 359), s.r.range(60, 200), s.r.range(60, 220)));
    base.setColorAt(1, QColor::fromHsv(s.r.range(0, 359), s.r.range(60, 200), s.r.range(40, 200)));
    p.fillRect(all, base);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        const QPointF c(s.r.range(0, int(all.width())), s.r.range(0, int(all.height())));
        const qreal radius = s.r.range(int(all.width() / 12), int(all.width() / 3));
        QRadialGradient g(c, radius);
        const QColor colour = QColor::fromHsv(s.r.range(0, 359), s.r.range(40, 230), s.r.range(40, 250), s.r.range(60, 160));
        g.setColorAt(0, colour);
        g.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
        p.setBrush(g);
        p.drawEllipse(c, radius, radius);
    }
    // Leaves, grass or sand: fine texture everywhere.
    QImage& img = s.c.image;
    const int amplitude = s.r.range(4, 14);
    for (int y = 0; y < img.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int d = s.r.range(-amplitude, amplitude);
            row[x] = qRgb(std::clamp(qRed(row[x]) + d, 0, 255), std::clamp(qGreen(row[x]) + d, 0, 255),
                std::clamp(qBlue(row[x]) + d, 0, 255));
        }
    }
}

// A desktop: text straight on a wallpaper (icon labels, a clock), a sticky note and a
// notification over it.
void paintDesktop(Scene& s)
{
    paintWallpaper(s);
    s.c.shadow = QColor(0, 0, 0, 150);
    const QString clock = QStringLiteral("%1:%2").arg(s.r.range(7, 22)).arg(s.r.minutes());
    s.c.text(s.w - 260, 120, clock, s.f(64, true), QColor(Qt::white));
    s.c.text(s.w - 260, 150, sentence(s.r, 3), s.f(16), QColor(0xf0f0f0));
    qreal y = 60;
    for (int i = 0; i < 6 && y < s.h - 60; ++i) {
        s.c.fill({ 40, y, 48, 48 }, QColor::fromHsv(s.r.range(0, 359), 120, 230), 10);
        QString label;
        switch (s.r.range(0, 4)) {
        case 0: label = ip(s.r) + QStringLiteral(".rdp"); break;
        case 1: label = email(s.r); break;
        case 2: label = s.r.pick(words) + QStringLiteral("-notes.txt"); break;
        case 3: label = distractor(s.r); break;
        default: label = money(s.r) + QStringLiteral(" receipt.pdf"); break;
        }
        s.c.text(24, y + 66, label, s.f(12, true), QColor(Qt::white));
        y += 100;
    }
    s.c.shadow = QColor(0, 0, 0, 0);
    // A sticky note.
    const qreal nx = s.w * 0.35, ny = 80;
    s.c.fill({ nx, ny, 340, 230 }, QColor(0xfff3a3), 6);
    const QColor ink(0x3b3320);
    qreal ly = ny + 40;
    for (const QString& line : { QStringLiteral("Wifi ") + ip(s.r), phone(s.r), email(s.r), QStringLiteral("pin ") + s.r.digits(4),
             QStringLiteral("rent ") + money(s.r), apiKey(s.r).left(36) }) {
        s.c.text(nx + 18, ly, line, s.f(16), ink);
        ly += 30;
    }
    // A translucent notification.
    const qreal tx = s.w - 420, ty = s.h - 200;
    s.c.fill({ tx, ty, 380, 110 }, QColor(20, 20, 24, 200), 14);
    s.c.text(tx + 18, ty + 32, QStringLiteral("New sign-in"), s.f(14, true), QColor(Qt::white));
    s.c.text(tx + 18, ty + 58, QStringLiteral("from ") + ip(s.r), s.f(13), QColor(0xdddddd));
    s.c.text(tx + 18, ty + 84, email(s.r), s.f(13), QColor(0xbbbbbb));
    // A terminal window over the wallpaper.
    const qreal wx = s.w * 0.3, wy = s.h * 0.5;
    const CodeColours theme = codeColours(s, true);
    s.c.fill({ wx, wy, 520, 200 }, theme.bg, 8);
    qreal ty2 = wy + 26;
    for (int i = 0; i < 6; ++i) {
        const QString line = i % 2 ? QStringLiteral("$ curl -H 'X-Key: ") + apiKey(s.r) + u'\'' : QStringLiteral("$ ping ") + ip(s.r);
        s.c.text(wx + 12, ty2, line, s.m(13), i % 2 ? theme.fg : theme.green);
        ty2 += 28;
    }
}

// An admin dashboard in a dark theme: figure cards, a form of amounts and a server list.
void paintDashboard(Scene& s)
{
    const qreal top = s.titleBar(QStringLiteral("Billing \u2014 Admin"));
    const QColor panel = s.pal.card;
    qreal x = 24, y = top + 24;
    for (int i = 0; i < 4 && x + 220 < s.w; ++i) {
        s.c.fill({ x, y, 220, 96 }, panel, 12);
        s.c.text(x + 16, y + 28, QStringList { "Revenue", "Refunds", "Balance", "Payouts" }[i], s.f(12), s.pal.secondary);
        s.c.text(x + 16, y + 68, money(s.r), s.f(s.r.range(18, 28), true), s.pal.text);
        x += 240;
    }
    y += 130;
    const qreal formW = std::min<qreal>(560, s.w / 2 - 40);
    s.c.fill({ 24, y, formW, s.h - y - 24 }, panel, 12);
    qreal fy = y + 36;
    const QList<std::pair<QString, std::function<QString(Rng&)>>> rows { { "Invoice total", money }, { "Card", card },
        { "Billing email", email }, { "Support line", phone }, { "Webhook secret", apiKey }, { "Tax", money },
        { "Reference", distractor }, { "Gateway", ip } };
    for (const auto& [label, make] : rows) {
        if (fy + 30 > s.h - 30)
            break;
        s.c.text(40, fy, label, s.f(13), s.pal.secondary);
        s.c.text(200, fy, make(s.r), s.f(13), s.pal.text);
        fy += 34;
    }
    const qreal lx = 24 + formW + 24;
    if (lx + 300 < s.w) {
        s.c.fill({ lx, y, s.w - lx - 24, s.h - y - 24 }, panel, 12);
        qreal sy = y + 36;
        while (sy < s.h - 40) {
            const bool up = s.r.chance(70);
            s.c.circle({ lx + 24, sy - 5 }, 5, up ? s.pal.success : s.pal.danger);
            s.c.text(lx + 40, sy, QStringLiteral("node-%1").arg(s.r.range(1, 40)), s.m(13), s.pal.text);
            s.c.text(lx + 160, sy, ip(s.r), s.m(13), s.pal.secondary);
            if (lx + 420 < s.w)
                s.c.text(lx + 330, sy, distractor(s.r), s.f(12), s.pal.faint);
            sy += 28;
        }
    }
}

const QStringList uiFamilies { "DejaVu Sans", "Liberation Sans", "Cantarell", "DejaVu Serif", "DejaVu Sans Condensed",
    "Liberation Serif" };
const QStringList monoFamilies { "DejaVu Sans Mono", "Liberation Mono" };
// The tuning and the evaluation fonts share none.
const QStringList tuningUiFamilies { "DejaVu Sans", "Liberation Sans", "Cantarell", "DejaVu Serif", "FreeSans", "Roboto" };
const QStringList tuningMonoFamilies { "DejaVu Sans Mono", "Liberation Mono", "Hack", "Inconsolata", "Noto Mono", "FreeMono" };
// Monospaced faces whose zeros are slashed or dotted, or whose hyphens are long: shots of their own,
// so the shots made before them stay as they were.
const QStringList tuningMarkedZeroFamilies { "Go Mono", "mononoki", "Monoid", "Hermit" };
const QStringList evaluationUiFamilies { "Arimo", "Lato", "Open Sans", "Tinos", "Roboto Condensed", "FreeSerif" };
const QStringList evaluationMonoFamilies { "JetBrains Mono", "Fira Code", "Cousine", "Anonymous Pro", "Noto Sans Mono" };

// Tinted windows: the same roles, the hue and brightness of the surfaces moved a little.
void vary(Palette& pal, Rng& r, bool dark)
{
    const int hue = r.range(0, 359), saturation = r.range(10, 60);
    const auto tint = [&](QColor& c, int valueShift) {
        const QColor hsv = c.toHsv();
        c = QColor::fromHsv(hue, std::min(255, saturation + hsv.hsvSaturation() / 3),
            std::clamp(hsv.value() + valueShift, 0, 255));
    };
    const int shift = dark ? r.range(-10, 25) : r.range(-25, 0);
    for (QColor* c : { &pal.window, &pal.sidebar, &pal.card, &pal.field, &pal.titleBar, &pal.codeBg, &pal.bubbleOther })
        tint(*c, shift);
    if (r.chance(50)) {
        const QColor text = dark ? QColor::fromHsv(hue, r.range(0, 60), r.range(200, 255))
                                 : QColor::fromHsv(hue, r.range(0, 80), r.range(0, 70));
        pal.text = text;
        pal.onBubbleOther = text;
    }
    pal.accent = QColor::fromHsv(r.range(0, 359), r.range(150, 230), r.range(150, 230));
    pal.selection = pal.accent.darker(115);
}

QString layoutName(ShotLayout layout)
{
    switch (layout) {
    case ShotLayout::mail: return QStringLiteral("mail");
    case ShotLayout::terminal: return QStringLiteral("terminal");
    case ShotLayout::settings: return QStringLiteral("settings");
    case ShotLayout::chat: return QStringLiteral("chat");
    case ShotLayout::code: return QStringLiteral("code");
    case ShotLayout::table: return QStringLiteral("table");
    case ShotLayout::web: return QStringLiteral("web");
    case ShotLayout::log: return QStringLiteral("log");
    case ShotLayout::desktop: return QStringLiteral("desktop");
    case ShotLayout::dashboard: return QStringLiteral("dashboard");
    }
    return {};
}

QJsonObject rectJson(const QRect& r)
{
    return { { "x", r.x() }, { "y", r.y() }, { "w", r.width() }, { "h", r.height() } };
}

} // namespace

QList<QRect> glyphBoxes(const QString& text, const QFontMetricsF& metrics, QPointF origin)
{
    QList<QRect> glyphs;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isSpace()) {
            glyphs.append(QRect());
            continue;
        }
        const QRectF ink = metrics.boundingRect(text.at(i));
        glyphs.append(ink.translated(origin + QPointF(metrics.horizontalAdvance(text.left(i)), 0)).toAlignedRect());
    }
    return glyphs;
}

QList<PlantedItem> itemsDrawn(const QString& text, const QFontMetricsF& metrics, QPointF origin)
{
    QList<PlantedItem> items;
    const QList<QRect> glyphs = glyphBoxes(text, metrics, origin);
    const qreal top = origin.y() - metrics.ascent(), height = metrics.ascent() + metrics.descent();
    for (const SensitiveMatch& m : findSensitiveMatches(text)) {
        const qreal from = metrics.horizontalAdvance(text.left(m.start));
        const qreal to = metrics.horizontalAdvance(text.left(m.start + m.length));
        QList<QRect> ink;
        for (qsizetype i = m.start; i < m.start + m.length; ++i)
            if (!glyphs.at(i).isNull())
                ink.append(glyphs.at(i));
        items.append({ m.kind, text.mid(m.start, m.length), QRectF(origin.x() + from, top, to - from, height).toAlignedRect(), ink });
    }
    return items;
}

QString shotName(const ShotRecipe& recipe)
{
    return QStringLiteral("%1-%2-%3x-s%4%5%6")
        .arg(layoutName(recipe.layout), recipe.theme == ShotTheme::dark ? QStringLiteral("dark") : QStringLiteral("light"))
        .arg(recipe.scale)
        .arg(recipe.seed)
        .arg(recipe.dense ? QStringLiteral("-dense") : QString())
        .arg(recipe.jpegQuality > 0 ? QStringLiteral("-q%1").arg(recipe.jpegQuality) : QString());
}

GeneratedShot generateShot(const ShotRecipe& recipe)
{
    Rng rng(recipe.seed * 7919u + quint32(recipe.layout) * 31u + quint32(recipe.theme));
    Palette pal = paletteFor(recipe.theme);
    if (recipe.varied)
        vary(pal, rng, recipe.theme == ShotTheme::dark);
    Canvas canvas(recipe, pal.window, rng);
    const QString ui = recipe.family.isEmpty() ? uiFamilies.at(int(recipe.seed % uiFamilies.size())) : recipe.family;
    const QString mono = recipe.mono.isEmpty() ? monoFamilies.at(int(recipe.seed % monoFamilies.size())) : recipe.mono;
    Scene scene { canvas, rng, pal, ui, mono, qreal(recipe.logicalSize.width()), qreal(recipe.logicalSize.height()), recipe.dense,
        recipe.varied };
    switch (recipe.layout) {
    case ShotLayout::mail: paintMail(scene); break;
    case ShotLayout::terminal: paintTerminal(scene); break;
    case ShotLayout::settings: paintSettings(scene); break;
    case ShotLayout::chat: paintChat(scene); break;
    case ShotLayout::code: paintCode(scene); break;
    case ShotLayout::table: paintTable(scene); break;
    case ShotLayout::web: paintWeb(scene); break;
    case ShotLayout::log: paintLog(scene); break;
    case ShotLayout::desktop: paintDesktop(scene); break;
    case ShotLayout::dashboard: paintDashboard(scene); break;
    }
    canvas.painter.end();
    GeneratedShot shot;
    shot.name = shotName(recipe);
    shot.image = canvas.image.convertToFormat(QImage::Format_RGB32);
    if (recipe.jpegQuality > 0) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        shot.image.save(&buffer, "JPEG", recipe.jpegQuality);
        shot.image = QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
    }
    // Runs clipped by the window edge are not on the shot.
    const QRect bounds = shot.image.rect();
    for (const TruthText& t : canvas.texts)
        if (bounds.contains(t.box))
            shot.texts.append(t);
    for (const PlantedItem& p : canvas.planted)
        if (bounds.contains(p.box))
            shot.planted.append(p);
    return shot;
}

QList<ShotRecipe> standardShotRecipes()
{
    QList<ShotRecipe> recipes;
    quint32 seed = 1;
    for (ShotLayout layout : { ShotLayout::mail, ShotLayout::terminal, ShotLayout::settings, ShotLayout::chat,
             ShotLayout::code, ShotLayout::table, ShotLayout::web }) {
        for (ShotTheme theme : { ShotTheme::light, ShotTheme::dark }) {
            for (int scale : { 1, 2 }) {
                ShotRecipe recipe;
                recipe.layout = layout;
                recipe.theme = theme;
                recipe.scale = scale;
                recipe.seed = seed++;
                recipe.family = uiFamilies.at(int(recipe.seed % uiFamilies.size()));
                recipe.mono = monoFamilies.at(int(recipe.seed % monoFamilies.size()));
                recipe.logicalSize = scale == 1 ? QSize(1280, 800) : QSize(1440, 900);
                recipes.append(recipe);
            }
        }
    }
    return recipes;
}

namespace {

// Varied shots of every layout: each with its own zoom (glyphs of 9 to 32 pixels), theme, fonts,
// window size and now and then JPEG.
QList<ShotRecipe> variedRecipes(const QList<ShotLayout>& layouts, const QStringList& ui, const QStringList& mono,
    quint32 firstSeed, int perLayout)
{
    QList<ShotRecipe> recipes;
    Rng r(firstSeed);
    static const QList<qreal> zooms { 0.75, 0.8, 0.9, 1, 1.1, 1.25, 1.4, 1.5, 1.6, 1.75, 2, 2.25 };
    quint32 seed = firstSeed;
    for (ShotLayout layout : layouts) {
        for (int i = 0; i < perLayout; ++i) {
            ShotRecipe recipe;
            recipe.layout = layout;
            recipe.theme = i % 2 ? ShotTheme::dark : ShotTheme::light;
            recipe.scale = r.pick(zooms);
            recipe.family = r.pick(ui);
            recipe.mono = r.pick(mono);
            recipe.seed = seed++;
            recipe.varied = true;
            const int width = r.range(1100, 1500);
            recipe.logicalSize = QSize(width, width * r.range(58, 70) / 100);
            // Keep shots within a 2880-pixel-wide screen.
            while (recipe.logicalSize.width() * recipe.scale > 2880)
                recipe.logicalSize -= QSize(100, 62);
            if (r.chance(20))
                recipe.jpegQuality = r.range(60, 92);
            recipes.append(recipe);
        }
    }
    return recipes;
}

} // namespace

QList<ShotRecipe> tuningShotRecipes()
{
    QList<ShotRecipe> recipes = standardShotRecipes();
    recipes += variedRecipes({ ShotLayout::mail, ShotLayout::terminal, ShotLayout::settings, ShotLayout::chat, ShotLayout::code,
                                 ShotLayout::table, ShotLayout::web, ShotLayout::log, ShotLayout::desktop },
        tuningUiFamilies, tuningMonoFamilies, 1000, 4);
    recipes += variedRecipes({ ShotLayout::terminal, ShotLayout::code, ShotLayout::table, ShotLayout::log, ShotLayout::desktop },
        tuningUiFamilies, tuningMarkedZeroFamilies, 2000, 4);
    return recipes;
}

QList<ShotRecipe> evaluationShotRecipes()
{
    return variedRecipes({ ShotLayout::mail, ShotLayout::terminal, ShotLayout::settings, ShotLayout::chat, ShotLayout::code,
                             ShotLayout::table, ShotLayout::web, ShotLayout::log, ShotLayout::desktop, ShotLayout::dashboard },
        evaluationUiFamilies, evaluationMonoFamilies, 500000, 5);
}

QList<ShotRecipe> developmentShotRecipes()
{
    return variedRecipes({ ShotLayout::mail, ShotLayout::terminal, ShotLayout::settings, ShotLayout::chat, ShotLayout::code,
                             ShotLayout::table, ShotLayout::web, ShotLayout::log, ShotLayout::desktop, ShotLayout::dashboard },
        tuningUiFamilies, tuningMonoFamilies, 900000, 6);
}

QImage withGrain(const QImage& image, int amplitude, quint32 seed)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    Rng r(seed);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = row[x];
            row[x] = qRgb(std::clamp(qRed(p) + r.range(-amplitude, amplitude), 0, 255),
                std::clamp(qGreen(p) + r.range(-amplitude, amplitude), 0, 255),
                std::clamp(qBlue(p) + r.range(-amplitude, amplitude), 0, 255));
        }
    }
    return out;
}

ShotRecipe denseShotRecipe()
{
    ShotRecipe recipe;
    recipe.layout = ShotLayout::mail;
    recipe.theme = ShotTheme::light;
    recipe.scale = 2;
    recipe.seed = 42;
    recipe.family = QStringLiteral("DejaVu Sans");
    recipe.logicalSize = QSize(1440, 900);
    recipe.dense = true;
    return recipe;
}

QJsonObject truthJson(const GeneratedShot& shot)
{
    QJsonArray planted, texts;
    for (const PlantedItem& p : shot.planted) {
        QJsonObject o = rectJson(p.box);
        o.insert("kind", rawValue(p.kind));
        o.insert("text", p.text);
        planted.append(o);
    }
    for (const TruthText& t : shot.texts) {
        QJsonObject o = rectJson(t.box);
        o.insert("text", t.text);
        texts.append(o);
    }
    return { { "name", shot.name }, { "width", shot.image.width() }, { "height", shot.image.height() },
        { "planted", planted }, { "texts", texts } };
}

bool boxCoversItem(const QRectF& detection, const QRect& item)
{
    const QRectF overlap = detection.intersected(QRectF(item));
    if (overlap.isEmpty())
        return false;
    return overlap.width() >= 0.7 * item.width() && overlap.height() >= 0.4 * item.height()
        && detection.height() <= 3.0 * item.height() && detection.width() <= 2.0 * item.width() + 0.02 * 2880;
}

QList<QRect> uncoveredGlyphs(const GeneratedShot& shot, const PlantedItem& item, const DetectionResult& result, int margin)
{
    const QSizeF size = shot.image.size();
    QList<QRectF> boxes;
    if (auto it = result.find(item.kind); it != result.end())
        for (const QRectF& r : it->second)
            boxes.append(QRectF(r.x() * size.width(), r.y() * size.height(), r.width() * size.width(), r.height() * size.height()));
    QList<QRect> uncovered;
    for (const QRect& glyph : item.glyphs) {
        const QRectF wanted = QRectF(glyph).adjusted(-margin, -margin, margin, margin).intersected(QRectF(shot.image.rect()));
        if (std::none_of(boxes.begin(), boxes.end(), [&](const QRectF& b) { return b.contains(wanted); }))
            uncovered.append(glyph);
    }
    return uncovered;
}

DetectionScore scoreDetections(const GeneratedShot& shot, const DetectionResult& result)
{
    const QSizeF size = shot.image.size();
    const auto toPixels = [&](const QRectF& r) {
        return QRectF(r.x() * size.width(), r.y() * size.height(), r.width() * size.width(), r.height() * size.height());
    };
    DetectionScore score;
    for (const PlantedItem& item : shot.planted) {
        bool hit = false;
        if (auto it = result.find(item.kind); it != result.end())
            for (const QRectF& r : it->second)
                hit = hit || boxCoversItem(toPixels(r), item.box);
        (hit ? score.found : score.missed).append(item);
    }
    for (const PlantedItem& item : shot.cut) {
        if (!worthHiding(item))
            continue;
        bool hit = false;
        if (auto it = result.find(item.kind); it != result.end())
            for (const QRectF& r : it->second)
                hit = hit || boxCoversItem(toPixels(r), item.box);
        (hit ? score.cutFound : score.cutMissed).append(item);
    }
    for (const auto& entry : result) {
        // Named, not bound: clang 14 refuses a lambda that captures a structured binding.
        const RedactionKind kind = entry.first;
        for (const QRectF& r : entry.second) {
            const QRectF px = toPixels(r);
            const auto over = [&](const PlantedItem& item) { return item.kind == kind && px.intersects(QRectF(item.box)); };
            if (std::none_of(shot.planted.begin(), shot.planted.end(), over) && std::none_of(shot.cut.begin(), shot.cut.end(), over))
                score.falseDetections.append({ kind, px });
        }
    }
    return score;
}

bool worthHiding(const PlantedItem& cutItem)
{
    const QString& t = cutItem.text;
    switch (cutItem.kind) {
    case RedactionKind::card:
        return std::count_if(t.begin(), t.end(), [](QChar c) { return c.isDigit(); }) >= 8;
    case RedactionKind::phone:
        return std::count_if(t.begin(), t.end(), [](QChar c) { return c.isDigit(); }) >= 7;
    case RedactionKind::ip:
        return t.contains(QRegularExpression(QStringLiteral(R"(\d\.\d)")));
    case RedactionKind::apiKey:
        return t.size() >= 8;
    case RedactionKind::email:
        return t.contains(u'@') && t.size() >= 2;
    default:
        return false;
    }
}
