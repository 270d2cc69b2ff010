#include "notch/NotchStyleStrip.h"

#include "model/UuidText.h"
#include "notch/NotchController.h"
#include "render/BackgroundView.h"
#include "render/ContinuousCorners.h"
#include "ui/PressableButtonStyle.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace {
constexpr qreal kChipPadX = 13;
constexpr qreal kChipPadY = 8;
constexpr qreal kChipSpacing = 7;
constexpr qreal kSwatch = 18;
constexpr qreal kSwatchRadius = 5;
constexpr qreal kNameSize = 12.5;
constexpr qreal kAutoSymbolSize = 11;
constexpr qreal kStarSize = 10;
constexpr int kRowSpacing = 10;
constexpr qreal kHairline = 0.5;
constexpr int kStripSpacing = 10;

const char* kContext = "NotchPanelView";

QFont nameFont() { return Theme::font(kNameSize, QFont::Medium); }
QString autoText() { return QCoreApplication::translate(kContext, "Auto"); }
qreal chipHeight()
{
    return std::ceil(kChipPadY * 2 + std::max({ QFontMetricsF(nameFont()).height(), kSwatch, Symbols::extent(kStarSize) }));
}
}

// ---- star ------------------------------------------------------------------------------------

NotchDefaultStar::NotchDefaultStar(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    setState(false, false);
}

void NotchDefaultStar::setState(bool isDefault, bool selected)
{
    m_isDefault = isDefault;
    m_selected = selected;
    setToolTip(isDefault ? QCoreApplication::translate(kContext, "Default style for new captures")
                         : QCoreApplication::translate(kContext, "Set as default style"));
    update();
}

QString NotchDefaultStar::symbol() const
{
    return m_isDefault ? QStringLiteral("star.fill") : QStringLiteral("star");
}

QColor NotchDefaultStar::color() const
{
    if (m_isDefault)
        return QColor::fromRgbF(1.0f, 0.8f, 0.0f); // gold
    return Theme::rgb(255, 255, 255, m_selected ? 0.75 : 0.40);
}

QSize NotchDefaultStar::sizeHint() const
{
    const int side = int(std::ceil(Symbols::extent(kStarSize)));
    return { side, side };
}

void NotchDefaultStar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(p, symbol(), QRectF(rect()).center(), kStarSize, color(), QFont::DemiBold);
}

// ---- chip ------------------------------------------------------------------------------------

NotchStyleChip::NotchStyleChip(std::optional<StylePreset> preset, QWidget* parent)
    : QAbstractButton(parent)
    , m_preset(std::move(preset))
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    if (m_preset) {
        m_star = new NotchDefaultStar(this);
    }
    setFixedSize(sizeHint());
    PressableButtonStyle::apply(this);
}

QString NotchStyleChip::styleKey() const
{
    return m_preset ? uuidString(m_preset->id) : QStringLiteral("auto");
}

void NotchStyleChip::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

qreal NotchStyleChip::contentWidth() const
{
    const QFontMetricsF metrics(nameFont());
    if (!m_preset)
        return Symbols::extent(kAutoSymbolSize) + kChipSpacing + metrics.horizontalAdvance(autoText());
    return kSwatch + kChipSpacing + metrics.horizontalAdvance(m_preset->name) + kChipSpacing + Symbols::extent(kStarSize);
}

QSize NotchStyleChip::sizeHint() const
{
    return { int(std::ceil(kChipPadX * 2 + contentWidth())), int(chipHeight()) };
}

void NotchStyleChip::resizeEvent(QResizeEvent*)
{
    if (m_star) {
        const QSize star = m_star->sizeHint();
        m_star->move(int(width() - kChipPadX - star.width()), (height() - star.height()) / 2);
    }
}

void NotchStyleChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.2, 0.2, -0.2, -0.2);
    p.fillPath(continuousCapsule(capsule), Theme::rgb(255, 255, 255, m_selected ? 0.11 : 0.03));
    p.setPen(QPen(Theme::rgb(255, 255, 255, m_selected ? 0.18 : 0.08), 0.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousCapsule(capsule));

    const qreal midY = height() / 2.0;
    qreal x = kChipPadX;
    p.setFont(nameFont());
    p.setPen(Qt::white);
    if (!m_preset) {
        const qreal symbol = Symbols::extent(kAutoSymbolSize);
        Symbols::paint(p, u"sparkles", QPointF(x + symbol / 2, midY), kAutoSymbolSize, Qt::white, QFont::DemiBold);
        x += symbol + kChipSpacing;
        p.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, autoText());
        return;
    }
    const QRectF swatch(x, midY - kSwatch / 2, kSwatch, kSwatch);
    const QPainterPath swatchShape = continuousRoundedRect(swatch, kSwatchRadius);
    p.save();
    p.setClipPath(swatchShape);
    paintBackground(p, swatch, m_preset->settings.background, ColorScheme::dark);
    p.restore();
    p.setPen(QPen(Theme::rgb(255, 255, 255, 0.20), 0.5));
    p.drawPath(continuousRoundedRect(swatch.adjusted(0.25, 0.25, -0.25, -0.25), kSwatchRadius));
    x += kSwatch + kChipSpacing;
    p.setPen(Qt::white);
    const qreal nameWidth = width() - x - kChipSpacing - Symbols::extent(kStarSize) - kChipPadX;
    p.drawText(QRectF(x, 0, nameWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        m_preset->name);
}

// ---- strip -----------------------------------------------------------------------------------

NotchStyleStrip::NotchStyleStrip(NotchController* controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
{
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setStyleSheet(QStringLiteral("background: transparent;"));
    m_row = new QWidget;
    m_row->setAutoFillBackground(false);
    m_layout = new QHBoxLayout(m_row);
    m_layout->setContentsMargins(1, 2, 1, 2);
    m_layout->setSpacing(kRowSpacing);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
    m_scroll->setWidget(m_row);
    // The scroll bar is hidden, and a wheel turns vertically: the strip scrolls the row itself,
    // wherever over the row the wheel turns.
    m_scroll->viewport()->installEventFilter(this);
    m_row->installEventFilter(this);

    connect(controller, &NotchController::presetsChanged, this, &NotchStyleStrip::rebuild);
    connect(controller, &NotchController::currentStyleKeyChanged, this, &NotchStyleStrip::refreshSelection);
    connect(controller, &NotchController::defaultPresetIDChanged, this, &NotchStyleStrip::refreshSelection);
    rebuild();
}

QString NotchStyleStrip::hintText() const
{
    return QCoreApplication::translate(kContext, "Save presets in the editor to restyle here");
}

bool NotchStyleStrip::showsHint() const
{
    return m_controller && m_controller->presets().isEmpty();
}

int NotchStyleStrip::stripHeight() const
{
    return int(std::ceil(kHairline)) + kStripSpacing + int(chipHeight()) + 4;
}

void NotchStyleStrip::rebuild()
{
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_chips.clear();
    if (!m_controller)
        return;

    auto* autoChip = new NotchStyleChip(std::nullopt, m_row);
    connect(autoChip, &QAbstractButton::clicked, m_controller, &NotchController::applyAutoStyle);
    m_layout->addWidget(autoChip);
    m_chips.append(autoChip);
    for (const StylePreset& preset : m_controller->presets()) {
        auto* chip = new NotchStyleChip(preset, m_row);
        connect(chip, &QAbstractButton::clicked, m_controller,
            [controller = m_controller, preset] { controller->applyStyle(uuidString(preset.id), preset.settings); });
        connect(chip->star(), &QAbstractButton::clicked, m_controller,
            [controller = m_controller, id = preset.id] { controller->setDefaultPreset(id); });
        m_layout->addWidget(chip);
        m_chips.append(chip);
    }
    for (NotchStyleChip* chip : m_chips) {
        chip->installEventFilter(this);
        if (chip->star())
            chip->star()->installEventFilter(this);
    }
    if (m_controller->presets().isEmpty()) {
        auto* hint = new QLabel(hintText(), m_row);
        hint->setFont(Theme::font(12));
        QPalette palette = hint->palette();
        palette.setColor(QPalette::WindowText, Theme::rgb(255, 255, 255, 0.35));
        hint->setPalette(palette);
        hint->setContentsMargins(4, 0, 0, 0);
        m_layout->addWidget(hint);
    }
    refreshSelection();
}

void NotchStyleStrip::refreshSelection()
{
    if (!m_controller)
        return;
    const QString current = m_controller->currentStyleKey();
    const QString defaultKey = m_controller->defaultPresetID();
    for (NotchStyleChip* chip : m_chips) {
        const bool selected = chip->styleKey() == current;
        chip->setSelected(selected);
        if (chip->star())
            chip->star()->setState(chip->styleKey() == defaultKey, selected);
    }
}

bool NotchStyleStrip::eventFilter(QObject* watched, QEvent* event)
{
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() != QEvent::Wheel || !widget
        || !(widget == m_scroll->viewport() || m_scroll->viewport()->isAncestorOf(widget)))
        return QWidget::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const auto dominant = [](QPoint p) { return std::abs(p.x()) > std::abs(p.y()) ? p.x() : p.y(); };
    // Touchpads report pixels; wheels report eighths of a degree, 120 a notch.
    const int delta = !wheel->pixelDelta().isNull() ? dominant(wheel->pixelDelta())
                                                     : dominant(wheel->angleDelta()) * kWheelNotchPx / 120;
    QScrollBar* bar = m_scroll->horizontalScrollBar();
    bar->setValue(bar->value() - delta);
    return true;
}

void NotchStyleStrip::resizeEvent(QResizeEvent*)
{
    const int top = int(std::ceil(kHairline)) + kStripSpacing;
    m_scroll->setGeometry(0, top, width(), height() - top);
}

void NotchStyleStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(QRectF(0, 0, width(), kHairline), Theme::rgb(255, 255, 255, 0.06));
}
