#include "capture/CapturePopoverView.h"

#include "capture/CaptureManager.h"
#include "capture/CaptureShortcutStore.h"
#include "capture/PopoverStyle.h"
#include "capture/ScreenshotWatcher.h"
#include "core/Log.h"
#include "platform/KeystrokeScreenshotTool.h"
#include "platform/OpenFolder.h"
#include "platform/PlatformTexts.h"
#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <array>
#include <cmath>

namespace {
using namespace PopoverStyle;
static_assert(kPopoverWidth == CapturePopoverView::fixedWidth);

constexpr qreal kPadTop = 12.0;
constexpr qreal kPadBottom = 10.0;
constexpr qreal kHeaderHeight = 28.0; // the gear's frame is the tallest item
constexpr qreal kHeaderGap = 10.0;
constexpr int kRowCount = 8;
constexpr qreal kSeparatorInset = 42.0;
constexpr qreal kGroupRadius = 12.0;
constexpr qreal kStatusPadY = 11.0;
constexpr qreal kStatusPadX = 2.0;
constexpr qreal kStatusSpacing = 7.0;
constexpr qreal kStatusMinSpace = 8.0;
constexpr qreal kRecentPadY = 11.0;
constexpr qreal kRecentSpacing = 9.0;
constexpr qreal kTileHeight = 68.0;
constexpr qreal kTileSpacing = 8.0;
constexpr qreal kTileRadius = 8.0;
constexpr qreal kFooterGap = 10.0;
constexpr qreal kBackgroundRadius = 18.0;

QRect snapped(const QRectF& rect)
{
    const int left = int(std::lround(rect.left()));
    const int top = int(std::lround(rect.top()));
    return QRect(left, top, int(std::lround(rect.right())) - left, int(std::lround(rect.bottom())) - top);
}

QFont titleFont() { return Theme::font(14.5, QFont::DemiBold); }
QFont statusFont() { return Theme::font(10.5); }
QFont recentHeaderFont() { return Theme::font(11.5, QFont::DemiBold); }
QFont smallButtonFont() { return Theme::font(10.5, QFont::Medium); }
QFont footerFont() { return Theme::font(10.5); }

QString statusText() { return CapturePopoverView::tr("New screenshots appear automatically"); }

constexpr int kNoticeFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

qreal noticeTextHeight(const QString& notice)
{
    const QRectF box(0, 0, kContentWidth - 2 * kStatusPadX, 10000);
    return std::ceil(QFontMetricsF(statusFont()).boundingRect(box, kNoticeFlags, notice).height());
}
// The desktop's own area key, as the settings and the onboarding name it.
QString statusShortcut() { return DesktopScreenshotKeys::forSession().text(SystemCapture::selection); }
QString recentText() { return CapturePopoverView::tr("Recent"); }
QString openLatestText() { return CapturePopoverView::tr("Open latest"); }
QString footerText() { return platformText("Runs quietly in the menu bar"); }
QString quitText() { return CapturePopoverView::tr("Quit Lumaforge"); }
QString placeholderText() { return CapturePopoverView::tr("Your latest captures will appear here"); }

constexpr qreal kOpenLatestChevron = 8.5;
constexpr qreal kOpenLatestSpacing = 3.0;

QSizeF openLatestSize()
{
    const QFont font = smallButtonFont();
    return { std::ceil(textWidth(font, openLatestText()) + kOpenLatestSpacing + Symbols::extent(kOpenLatestChevron)),
        std::ceil(std::max(lineHeight(font), Symbols::extent(kOpenLatestChevron))) };
}

QSizeF quitSize()
{
    const QFont font = footerFont();
    return { std::ceil(textWidth(font, quitText())), std::ceil(lineHeight(font)) };
}

using Painter = std::function<void(QPainter&, const QRectF&, ColorScheme)>;

void paintWidget(QWidget* widget, const Painter& paint, qreal opacity = 1.0)
{
    QPainter p(widget);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setOpacity(opacity);
    paint(p, QRectF(widget->rect()), Theme::colorScheme(widget));
}

// A button in the plain style: no bezel, only its label, a little fainter while pressed.
class PlainButton final : public QAbstractButton {
public:
    PlainButton(Painter paint, QWidget* parent)
        : QAbstractButton(parent)
        , m_paint(std::move(paint))
    {
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override { paintWidget(this, m_paint, isDown() ? 0.6 : 1.0); }

private:
    Painter m_paint;
};

// A box that only paints: the empty slots and the placeholder.
class PaintedBox final : public QWidget {
public:
    PaintedBox(Painter paint, QWidget* parent)
        : QWidget(parent)
        , m_paint(std::move(paint))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override { paintWidget(this, m_paint); }

private:
    Painter m_paint;
};

void paintEmptySlot(QPainter& p, const QRectF& rect, ColorScheme scheme)
{
    paintTile(p, rect, kTileRadius, primary(scheme, 0.035), primary(scheme, 0.07));
}

void paintPlaceholder(QPainter& p, const QRectF& rect, ColorScheme scheme)
{
    paintTile(p, rect, kTileRadius, primary(scheme, 0.025), primary(scheme, 0.07));
    constexpr qreal symbolSize = 12.0;
    constexpr qreal spacing = 7.0;
    const QFont font = statusFont();
    const QString text = placeholderText();
    const qreal symbol = Symbols::extent(symbolSize);
    const qreal textMax = rect.width() - 2 * kTileRadius - symbol - spacing;
    const qreal width = symbol + spacing + std::min(textMax, textWidth(font, text));
    const qreal left = rect.center().x() - width / 2.0;
    const QColor color = tertiary(scheme);
    Symbols::paint(p, u"photo.on.rectangle.angled", QPointF(left + symbol / 2.0, rect.center().y()), symbolSize, color);
    drawLine(p, QRectF(left + symbol + spacing, rect.top(), width - symbol - spacing, rect.height()), font, color, text);
}

// One recent shot: its image filling the tile (cut, never distorted) inside a rounded clip.
class RecentThumbnailButton final : public QAbstractButton {
public:
    RecentThumbnailButton(CapturePopoverView* view, CapturedShot shot, QWidget* parent)
        : QAbstractButton(parent)
        , m_view(view)
        , m_shot(std::move(shot))
    {
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("recentThumbnail"));
        setProperty("shotId", m_shot.id);
    }

    const CapturedShot& shot() const { return m_shot; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF box(rect());
        const qreal dpr = devicePixelRatioF();
        const QPixmap image = m_view->thumbnailFor(m_shot, (box.size() * dpr).toSize());
        p.save();
        p.setClipPath(continuousRoundedRect(box, kTileRadius));
        p.drawPixmap(box, image, QRectF(QPointF(0, 0), QSizeF(image.size())));
        p.restore();
        paintTile(p, box, kTileRadius, Qt::transparent, primary(Theme::colorScheme(this), 0.1));
    }

private:
    CapturePopoverView* m_view;
    CapturedShot m_shot;
};

struct RowSpec {
    const char* title;
    const char* icon;
};
constexpr std::array<RowSpec, kRowCount> kRows { {
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Capture…"), "camera.viewfinder" },
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Capture Selection"), "crop" },
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Capture Window"), "macwindow" },
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Capture Full Screen"), "rectangle.inset.filled" },
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Paste Screenshot"), "doc.on.clipboard" },
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Open File…"), "folder" },
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Edit Latest"), "wand.and.stars" },
    { QT_TRANSLATE_NOOP("CapturePopoverView", "Show Screenshots"), "rectangle.stack" },
} };
enum RowIndex { captureOptions, captureSelection, captureWindow, captureFullScreen, paste, openFile, editLatest, showFolder };

// Rows 2-4 show the application's own hot keys for the three captures.
constexpr std::array<std::pair<RowIndex, CaptureAction>, 3> kShortcutRows { {
    { captureSelection, CaptureAction::selection },
    { captureWindow, CaptureAction::window },
    { captureFullScreen, CaptureAction::fullScreen },
} };
}

// ---- CapturePopoverView --------------------------------------------------------------------

struct CapturePopoverView::Layout {
    QRectF header;
    QRectF group;
    QRectF status;
    QRectF notice; // empty while there is no notice
    QRectF firstSeparator;
    QRectF recent;
    QRectF recentHeader;
    QRectF strip;
    QRectF secondSeparator;
    QRectF footer;
    qreal height = 0;

    QRectF row(int i) const
    {
        return { group.left(), group.top() + i * (MenuCommandButton::rowHeight + kHairline), group.width(),
            qreal(MenuCommandButton::rowHeight) };
    }
    QRectF rowSeparator(int i) const
    {
        const QRectF above = row(i);
        return { above.left() + kSeparatorInset, above.bottom(), above.width() - kSeparatorInset, kHairline };
    }
    QRectF tile(int i) const
    {
        const qreal width = (strip.width() - (recentLimit - 1) * kTileSpacing) / recentLimit;
        return { strip.left() + i * (width + kTileSpacing), strip.top(), width, strip.height() };
    }
};

CapturePopoverView::Layout CapturePopoverView::layout() const
{
    Layout l;
    qreal y = kPadTop;
    const auto take = [&](qreal height) {
        const QRectF rect(kPadX, y, kContentWidth, height);
        y += height;
        return rect;
    };
    l.header = take(kHeaderHeight);
    y += kHeaderGap;
    l.group = take(kRowCount * MenuCommandButton::rowHeight + (kRowCount - 1) * kHairline);
    l.status = take(kStatusPadY + std::max(lineHeight(statusFont()), lineHeight(shortcutFont())) + kStatusPadY);
    if (!m_notice.isEmpty())
        l.notice = take(noticeTextHeight(m_notice) + kStatusPadY);
    l.firstSeparator = take(kHairline);
    const qreal headerRow = std::max(lineHeight(recentHeaderFont()), openLatestSize().height());
    l.recent = take(kRecentPadY + headerRow + kRecentSpacing + kTileHeight + kRecentPadY);
    l.recentHeader = QRectF(l.recent.left(), l.recent.top() + kRecentPadY, l.recent.width(), headerRow);
    l.strip = QRectF(l.recent.left(), l.recentHeader.bottom() + kRecentSpacing, l.recent.width(), kTileHeight);
    l.secondSeparator = take(kHairline);
    y += kFooterGap;
    l.footer = take(std::max(lineHeight(footerFont()), quitSize().height()));
    l.height = y + kPadBottom;
    return l;
}

CapturePopoverView::CapturePopoverView(CaptureManager& capture, CaptureShortcutStore& shortcuts,
    SystemScreenshotTool& tool, Actions actions, QWidget* parent)
    : QWidget(parent)
    , m_capture(capture)
    , m_shortcuts(shortcuts)
    , m_tool(tool)
    , m_actions(std::move(actions))
{
    const std::array<std::function<void()>, kRowCount> commands {
        [this] { runSystemCapture(SystemCapture::options); },
        [this] { runSystemCapture(SystemCapture::selection); },
        [this] { runSystemCapture(SystemCapture::window); },
        [this] { runSystemCapture(SystemCapture::fullScreen); },
        [this] {
            if (m_actions.pasteScreenshot)
                m_actions.pasteScreenshot();
        },
        [this] { m_capture.importFromFile(); },
        [this] { editLatestCapture(); },
        [this] { showScreenshotsFolder(); },
    };
    for (int i = 0; i < kRowCount; ++i) {
        std::optional<QString> shortcut;
        if (i == paste)
            shortcut = platformText("⌘V");
        else if (i == openFile)
            shortcut = platformText("⌘O");
        m_rows.append(new MenuCommandButton(tr(kRows[i].title), shortcut, QString::fromLatin1(kRows[i].icon), commands[i], this));
    }

    m_settingsButton = new PlainButton(
        [](QPainter& p, const QRectF& box, ColorScheme scheme) {
            Symbols::paint(p, u"gearshape", box.center(), 13.0, secondary(scheme), QFont::Medium);
        },
        this);
    m_settingsButton->setToolTip(tr("Settings"));
    m_settingsButton->setFixedSize(int(kHeaderHeight), int(kHeaderHeight));
    connect(m_settingsButton, &QAbstractButton::clicked, this, &CapturePopoverView::openSettingsWindow);

    m_openLatest = new PlainButton(
        [](QPainter& p, const QRectF& box, ColorScheme scheme) {
            const QFont font = smallButtonFont();
            const qreal chevron = Symbols::extent(kOpenLatestChevron);
            const QRectF text(box.left(), box.top(), box.width() - chevron - kOpenLatestSpacing, box.height());
            drawLine(p, text, font, secondary(scheme), openLatestText());
            Symbols::paint(p, u"chevron.right", QPointF(box.right() - chevron / 2.0, box.center().y()),
                kOpenLatestChevron, secondary(scheme), QFont::DemiBold);
        },
        this);
    m_openLatest->setFixedSize(openLatestSize().toSize());
    connect(m_openLatest, &QAbstractButton::clicked, this, [this] {
        if (!m_capture.recents().isEmpty())
            openShot(m_capture.recents().constFirst());
    });

    m_quitButton = new PlainButton(
        [](QPainter& p, const QRectF& box, ColorScheme scheme) {
            drawLine(p, box, footerFont(), secondary(scheme), quitText(), Qt::AlignRight);
        },
        this);
    m_quitButton->setFixedSize(quitSize().toSize());
    connect(m_quitButton, &QAbstractButton::clicked, this, &CapturePopoverView::quitApplication);

    m_placeholder = new PaintedBox(paintPlaceholder, this);
    m_placeholder->setObjectName(QStringLiteral("recentPlaceholder"));

    setFixedSize(sizeHint());
    Theme::followColorScheme(this);
    connect(&m_shortcuts, &CaptureShortcutStore::shortcutsChanged, this, &CapturePopoverView::refreshShortcuts);
    connect(&m_capture, &CaptureManager::recentsChanged, this, &CapturePopoverView::refreshRecents);
    refreshShortcuts();
    refreshRecents();
}

void CapturePopoverView::setNotice(const QString& notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    setFixedSize(sizeHint());
    placeChildren();
    update();
}

QSize CapturePopoverView::sizeHint() const
{
    return { fixedWidth, int(std::ceil(layout().height)) };
}

QList<QAbstractButton*> CapturePopoverView::thumbnailButtons() const
{
    QList<QAbstractButton*> out;
    for (const QPointer<QWidget>& tile : m_strip) {
        if (auto* button = qobject_cast<QAbstractButton*>(tile.data()))
            out.append(button);
    }
    return out;
}

int CapturePopoverView::emptySlotCount() const
{
    return int(m_strip.size()) - int(thumbnailButtons().size());
}

bool CapturePopoverView::showsPlaceholder() const
{
    return !m_placeholder->isHidden();
}

void CapturePopoverView::refreshShortcuts()
{
    for (const auto& [row, action] : kShortcutRows)
        m_rows[row]->setShortcut(m_shortcuts.shortcut(action).displayString());
}

void CapturePopoverView::refreshRecents()
{
    const QList<CapturedShot>& recents = m_capture.recents();
    const qsizetype shown = std::min<qsizetype>(recents.size(), recentLimit);

    m_rows[editLatest]->setEnabled(!recents.isEmpty());
    m_openLatest->setVisible(!recents.isEmpty());
    m_placeholder->setVisible(recents.isEmpty());

    // Rebuilt whole: a press may be what changed the list, so the old tiles go later.
    for (const QPointer<QWidget>& tile : std::as_const(m_strip)) {
        if (tile) {
            tile->hide();
            tile->deleteLater();
        }
    }
    m_strip.clear();
    QHash<QUuid, QPixmap> kept;
    if (!recents.isEmpty()) {
        for (qsizetype i = 0; i < shown; ++i) {
            const CapturedShot& shot = recents[i];
            auto* button = new RecentThumbnailButton(this, shot, this);
            connect(button, &QAbstractButton::clicked, this, [this, button] { openShot(button->shot()); });
            m_strip.append(button);
            if (const auto it = m_thumbnails.constFind(shot.id); it != m_thumbnails.constEnd())
                kept.insert(shot.id, *it);
        }
        for (qsizetype i = shown; i < recentLimit; ++i) {
            auto* slot = new PaintedBox(paintEmptySlot, this);
            slot->setObjectName(QStringLiteral("emptySlot"));
            m_strip.append(slot);
        }
    }
    m_thumbnails = std::move(kept);
    placeChildren();
    for (const QPointer<QWidget>& tile : std::as_const(m_strip))
        tile->show();
    update();
}

void CapturePopoverView::placeChildren()
{
    const Layout l = layout();
    const QPainterPath groupShape = continuousRoundedRect(l.group, kGroupRadius);
    for (int i = 0; i < m_rows.size(); ++i) {
        const QRect rect = snapped(l.row(i));
        m_rows[i]->setGeometry(rect);
        m_rows[i]->setBackgroundClip(groupShape.translated(-rect.topLeft()));
    }
    m_settingsButton->move(int(std::lround(l.header.right() - kHeaderHeight)), int(std::lround(l.header.top())));
    const QSize latest = m_openLatest->size();
    m_openLatest->move(int(std::lround(l.recentHeader.right() - latest.width())),
        int(std::lround(l.recentHeader.center().y() - latest.height() / 2.0)));
    const QSize quit = m_quitButton->size();
    m_quitButton->move(int(std::lround(l.footer.right() - quit.width())),
        int(std::lround(l.footer.center().y() - quit.height() / 2.0)));
    m_placeholder->setGeometry(snapped(l.strip));
    for (int i = 0; i < m_strip.size(); ++i) {
        if (m_strip[i])
            m_strip[i]->setGeometry(snapped(l.tile(i)));
    }
}

void CapturePopoverView::resizeEvent(QResizeEvent* event)
{
    placeChildren();
    QWidget::resizeEvent(event);
}

QPixmap CapturePopoverView::thumbnailFor(const CapturedShot& shot, const QSize& size)
{
    if (size.isEmpty() || shot.image.isNull())
        return {};
    if (const auto it = m_thumbnails.constFind(shot.id); it != m_thumbnails.constEnd() && it->size() == size)
        return *it;
    // Qt's smooth scale of the whole shot spreads over threads and beats cutting first.
    const QImage scaled = shot.image.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QPoint corner((scaled.width() - size.width()) / 2, (scaled.height() - size.height()) / 2);
    const QPixmap pixmap = QPixmap::fromImage(scaled.copy(QRect(corner, size)));
    m_thumbnails.insert(shot.id, pixmap);
    return pixmap;
}

void CapturePopoverView::runSystemCapture(SystemCapture what)
{
    if (!m_tool.isAvailable()) {
        // Nothing is attempted; the tool's notice says what is missing, shown wherever the
        // shell shows the tool's notices.
        Q_EMIT m_tool.unavailable(m_tool.explainUnavailable());
        return;
    }
    if (m_closeBeforeCapture) {
        m_closeBeforeCapture([tool = QPointer<SystemScreenshotTool>(&m_tool), what] {
            if (tool)
                tool->capture(what);
        });
        return;
    }
    m_tool.capture(what);
}

void CapturePopoverView::editLatestCapture()
{
    if (!m_capture.recents().isEmpty())
        openShot(m_capture.recents().constFirst());
}

void CapturePopoverView::showScreenshotsFolder()
{
    const QString folder = m_capture.watcher().directory();
    if (folder.isEmpty()) {
        logLine(QStringLiteral("no screenshot folder to show"));
        return;
    }
    openFolder(folder, this, [this, folder](const QString& reason) {
        if (m_actions.showFailure)
            m_actions.showFailure(tr("Couldn't show %1: %2").arg(folderForDisplay(folder), reason));
    });
}

void CapturePopoverView::openShot(const CapturedShot& shot)
{
    if (!m_actions.openShotInEditor)
        return;
    m_capture.openRecent(shot, this, [this](const CapturedShot& full) {
        if (m_actions.openShotInEditor)
            m_actions.openShotInEditor(full);
    });
}

void CapturePopoverView::openSettingsWindow()
{
    if (m_actions.openSettings)
        m_actions.openSettings();
}

void CapturePopoverView::quitApplication()
{
    if (m_actions.quit)
        m_actions.quit();
}

void CapturePopoverView::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const Layout l = layout();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The translucent material in the popover's rounded shape.
    p.fillPath(continuousRoundedRect(QRectF(rect()), kBackgroundRadius), Theme::materialFill(scheme));

    // Header: symbol and title; the gear is a child.
    constexpr qreal headerSymbol = 12.5, headerSpacing = 8.0;
    const qreal symbol = Symbols::extent(headerSymbol);
    Symbols::paint(p, u"camera.viewfinder", QPointF(l.header.left() + symbol / 2.0, l.header.center().y()), headerSymbol,
        secondary(scheme), QFont::DemiBold);
    const qreal titleLeft = l.header.left() + symbol + headerSpacing;
    drawLine(p, QRectF(titleLeft, l.header.top(), l.header.right() - kHeaderHeight - headerSpacing - titleLeft, l.header.height()),
        titleFont(), primary(scheme), QStringLiteral("Lumaforge"));

    // The rows' group and the hairlines between rows.
    paintTile(p, l.group, kGroupRadius, primary(scheme, 0.035), primary(scheme, 0.08));
    for (int i = 0; i + 1 < kRowCount; ++i)
        p.fillRect(l.rowSeparator(i), primary(scheme, 0.07));

    // Status line: fixed text, it shows no state of the watcher.
    const QRectF status = l.status.adjusted(kStatusPadX, kStatusPadY, -kStatusPadX, -kStatusPadY);
    const QFont keyFont = monoFont(10.0, QFont::Medium);
    const qreal keyWidth = std::min(textWidth(keyFont, statusShortcut()), status.width() / 2.0);
    drawLine(p, QRectF(status.right() - keyWidth, status.top(), keyWidth, status.height()), keyFont, secondary(scheme),
        statusShortcut(), Qt::AlignRight);
    drawLine(p,
        QRectF(status.left(), status.top(), status.width() - keyWidth - 2 * kStatusSpacing - kStatusMinSpace, status.height()),
        statusFont(), tertiary(scheme), statusText());

    if (!l.notice.isEmpty()) {
        p.setFont(statusFont());
        p.setPen(secondary(scheme));
        p.drawText(l.notice.adjusted(kStatusPadX, 0, -kStatusPadX, -kStatusPadY), kNoticeFlags, m_notice);
    }

    p.fillRect(l.firstSeparator, primary(scheme, 0.07));
    drawLine(p, QRectF(l.recentHeader.left(), l.recentHeader.top(), l.recentHeader.width() / 2.0, l.recentHeader.height()),
        recentHeaderFont(), secondary(scheme), recentText());
    p.fillRect(l.secondSeparator, primary(scheme, 0.07));

    drawLine(p, QRectF(l.footer.left(), l.footer.top(), l.footer.width() - m_quitButton->width() - 8.0, l.footer.height()),
        footerFont(), tertiary(scheme), footerText());
}
