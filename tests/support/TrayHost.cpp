#include "support/TrayHost.h"

#include "support/RunningApp.h"
#include "support/Wait.h"

#include <QRegularExpression>
#include <QStringList>

TrayHost::TrayHost()
{
    m_process.start(QStringLiteral("trayer"), { "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "200" });
}

TrayHost::~TrayHost()
{
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

bool TrayHost::running()
{
    return m_process.waitForStarted(5000);
}

namespace {
// A window named "Lumaforge" that sits in trayer's panel (inTray), or a top-level one as wide
// as the popover.
std::optional<ListedWindow> findWindow(bool inTray)
{
    const QString tree = QString::fromUtf8(Desktop::run(QStringLiteral("xwininfo"), { "-root", "-tree" }));
    static const QRegularExpression line(
        QStringLiteral(R"(^(\s*)(0x[0-9a-f]+) "Lumaforge": \("lumaforge" "Lumaforge"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))"));
    int panelIndent = -1;
    for (const QString& text : tree.split(u'\n')) {
        const int indent = int(text.size() - text.trimmed().size());
        if (text.contains(QStringLiteral("(\"panel\" \"trayer\")"))) {
            panelIndent = indent;
            continue;
        }
        if (panelIndent >= 0 && indent <= panelIndent)
            panelIndent = -1;
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch())
            continue;
        const QRect frame(m.captured(5).toInt(), m.captured(6).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        const bool tray = panelIndent >= 0;
        if (tray == inTray && (inTray || frame.width() == 324))
            return ListedWindow { m.captured(2).toUInt(nullptr, 16), frame };
    }
    return std::nullopt;
}
}

namespace Tray {

std::optional<ListedWindow> iconWindow()
{
    return findWindow(true);
}

std::optional<ListedWindow> popoverWindow()
{
    return findWindow(false);
}

std::optional<ListedWindow> openPopover()
{
    // A click that comes while the host is still embedding the icon is lost: try a few.
    std::optional<ListedWindow> popup;
    for (int attempt = 0; attempt < 4 && !popup; ++attempt) {
        std::optional<ListedWindow> icon;
        if (!waitUntil([&] { return (icon = iconWindow()).has_value(); }, 8000))
            return std::nullopt;
        const QPoint at = icon->frame.center();
        Desktop::run(QStringLiteral("xdotool"), { "mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1" });
        waitUntil([&] { return (popup = popoverWindow()).has_value(); }, 1500);
    }
    spin(300); // drawn
    return popup;
}

}
