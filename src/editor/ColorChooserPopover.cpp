#include "editor/ColorChooserPopover.h"

#include "model/ColorHex.h"
#include "platform/ColorSampler.h"
#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QColorDialog>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr int kColumns = 5;
constexpr qreal kCell = 24;
constexpr qreal kGap = 8;

// "Pick": the eyedropper and its label in the accent colour.
class PickButton final : public QAbstractButton {
public:
    explicit PickButton(QWidget* parent)
        : QAbstractButton(parent)
    {
        setText(ColorChooserPopover::tr("Pick"));
        setToolTip(ColorChooserPopover::tr("Sample a colour from anywhere on screen"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(Theme::font(12, QFont::Medium));
        return { int(std::ceil(Symbols::extent(12) + 4 + metrics.horizontalAdvance(text()))) + 2, 24 };
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setOpacity(!isEnabled() ? 0.4 : isDown() ? 0.6 : 1.0);
        const QColor accent = Theme::accentFor(Theme::colorScheme(this));
        const qreal icon = Symbols::extent(12);
        Symbols::paint(p, u"eyedropper", QPointF(icon / 2, height() / 2.0), 12, accent);
        p.setFont(Theme::font(12, QFont::Medium));
        p.setPen(accent);
        p.drawText(QRectF(icon + 4, 0, width() - icon - 4, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
};

// The colour well: the current colour in a small bezel; opens the colour wheel.
class ColorWell final : public QAbstractButton {
public:
    explicit ColorWell(QWidget* parent)
        : QAbstractButton(parent)
    {
        setToolTip(ColorChooserPopover::tr("Open the colour wheel"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }
    void setColor(const QColor& color)
    {
        m_color = color;
        update();
    }
    QSize sizeHint() const override { return { 44, 24 }; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QColor primary = Theme::primaryText(Theme::colorScheme(this));
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF bezel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor fill = primary;
        fill.setAlphaF(isDown() ? 0.14f : 0.06f);
        p.fillPath(continuousRoundedRect(bezel, 6), fill);
        QColor edge = primary;
        edge.setAlphaF(0.18f);
        p.setPen(QPen(edge, 0.5));
        p.drawPath(continuousRoundedRect(bezel, 6));
        const QRectF inner = bezel.adjusted(4, 4, -4, -4);
        p.fillPath(continuousRoundedRect(inner, 3.5), m_color);
        p.setPen(QPen(Theme::rgb(0, 0, 0, 0.12), 0.5));
        p.drawPath(continuousRoundedRect(inner.adjusted(0.25, 0.25, -0.25, -0.25), 3.5));
    }

private:
    QColor m_color;
};

// A hairline across the chooser.
class Divider final : public QWidget {
public:
    explicit Divider(QWidget* parent)
        : QWidget(parent)
    {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QColor color = Theme::primaryText(Theme::colorScheme(this));
        color.setAlphaF(0.12f);
        QPainter(this).fillRect(rect(), color);
    }
};
}

ColorSwatch::ColorSwatch(int hex, QWidget* parent)
    : QAbstractButton(parent)
    , m_hex(hex)
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void ColorSwatch::setRinged(bool ringed)
{
    if (m_ringed == ringed)
        return;
    m_ringed = ringed;
    update();
}

bool ColorSwatch::hitButton(const QPoint& pos) const
{
    const QPointF d = QPointF(pos) + QPointF(0.5, 0.5) - QRectF(rect()).center();
    return d.x() * d.x() + d.y() * d.y() <= (kDiameter / 2) * (kDiameter / 2);
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const qreal r = kDiameter / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(colorFromHex(m_hex));
    p.drawEllipse(centre, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Theme::rgb(0, 0, 0, 0.12), 0.5));
    p.drawEllipse(centre, r - 0.25, r - 0.25);
    if (m_ringed) {
        p.setPen(QPen(Theme::accentFor(Theme::colorScheme(this)), 2));
        p.drawEllipse(centre, r + 2, r + 2);
    }
}

ColorChooserPopover::ColorChooserPopover(int hex, std::function<void(int)> onPick, QWidget* parent)
    : QWidget(parent)
    , m_hex(hex)
    , m_onPick(std::move(onPick))
{
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);

    // Two rows of five fixed cells; swatches are a little larger than a cell so the ring fits.
    auto* grid = new QWidget(this);
    const int rows = int(colorPalette.size() + kColumns - 1) / kColumns;
    const int gridWidth = int(kColumns * kCell + (kColumns - 1) * kGap);
    grid->setFixedSize(gridWidth + 4, int(rows * kCell + (rows - 1) * kGap) + 4);
    for (int i = 0; i < int(colorPalette.size()); ++i) {
        auto* swatch = new ColorSwatch(colorPalette[i], grid);
        const qreal cx = 2 + kCell / 2 + (i % kColumns) * (kCell + kGap);
        const qreal cy = 2 + kCell / 2 + (i / kColumns) * (kCell + kGap);
        swatch->move(int(cx - swatch->width() / 2.0), int(cy - swatch->height() / 2.0));
        connect(swatch, &QAbstractButton::clicked, this, [this, c = colorPalette[i]] {
            if (m_onPick)
                m_onPick(c);
        });
        m_swatches.append(swatch);
    }
    column->addWidget(grid, 0, Qt::AlignHCenter);
    column->addWidget(new Divider(this));

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_pick = new PickButton(this);
    connect(m_pick, &QAbstractButton::clicked, this, &ColorChooserPopover::startSampling);
    auto* well = new ColorWell(this);
    m_well = well;
    connect(m_well, &QAbstractButton::clicked, this, &ColorChooserPopover::openColorDialog);
    row->addWidget(m_pick, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(m_well, 0, Qt::AlignVCenter);
    column->addLayout(row);

    Theme::followColorScheme(this);
    setHex(hex);
    refreshPickButton();
}

ColorChooserPopover::~ColorChooserPopover()
{
    // The wheel is a window of its own; it goes with the chooser it reports to.
    delete m_dialog.data();
}

void ColorChooserPopover::setHex(int hex)
{
    m_hex = hex;
    for (ColorSwatch* swatch : std::as_const(m_swatches))
        swatch->setRinged(swatch->hex() == hex);
    static_cast<ColorWell*>(m_well)->setColor(colorFromHex(hex));
    if (m_dialog && hexFromColor(m_dialog->currentColor()) != hex) {
        const QSignalBlocker quiet(m_dialog);
        m_dialog->setCurrentColor(colorFromHex(hex));
    }
}

void ColorChooserPopover::setSampler(ColorSampler* sampler)
{
    m_sampler = sampler;
    refreshPickButton();
}

ColorSampler& ColorChooserPopover::sampler() const
{
    return m_sampler ? *m_sampler : ColorSampler::shared();
}

void ColorChooserPopover::refreshPickButton()
{
    m_pick->setEnabled(!m_sampling && sampler().isAvailable());
}

void ColorChooserPopover::startSampling()
{
    if (m_sampling || !sampler().isAvailable())
        return;
    m_sampling = true;
    refreshPickButton();
    Q_EMIT samplingStarted();
    QTimer::singleShot(kSamplerDelayMs, this, [this] {
        sampler().sample(
            this,
            [this](const QColor& color) {
                if (m_onPick)
                    m_onPick(hexFromColor(color));
            },
            [this] {
                m_sampling = false;
                refreshPickButton();
                Q_EMIT samplingFinished();
            });
    });
}

void ColorChooserPopover::openColorDialog()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog(colorFromHex(m_hex));
        m_dialog->setWindowTitle(tr("Colours"));
        m_dialog->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
        connect(m_dialog, &QColorDialog::currentColorChanged, this, [this](const QColor& color) {
            if (color.isValid() && m_onPick)
                m_onPick(hexFromColor(color));
        });
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}
