#include "editor_window/EditorToolbar.h"

#include "editor/EditorDocument.h"
#include "platform/PlatformTexts.h"
#include "render/ContinuousCorners.h"
#include "ui/Spring.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {
constexpr int kSelectionGroupWidth = 26 + 6 + 1; // trash, spacing, hairline
}

ToolbarButton::ToolbarButton(const QString& symbol, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
{
    setObjectName(symbol);
    setFixedSize(26, 24);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void ToolbarButton::setPresence(double presence)
{
    m_presence = presence;
    update();
}

void ToolbarButton::paintEvent(QPaintEvent*)
{
    const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect());
    if (m_presence < 1) {
        const double s = 0.7 + 0.3 * m_presence;
        p.translate(r.center());
        p.scale(s, s);
        p.translate(-r.center());
        p.setOpacity(std::clamp(m_presence, 0.0, 1.0));
    }
    p.fillPath(continuousRoundedRect(r, 7), dark ? Theme::rgb(0x3A, 0x3A, 0x3C) : QColor(Qt::white));
    p.setPen(QPen(dark ? Theme::rgb(255, 255, 255, 0.08) : Theme::rgb(0, 0, 0, 0.10), 0.5));
    p.drawPath(continuousRoundedRect(r.adjusted(0.25, 0.25, -0.25, -0.25), 6.75));
    const QColor colour = tint ? tint(dark, isEnabled()) : Theme::accentFor(dark ? ColorScheme::dark : ColorScheme::light);
    Symbols::paint(p, m_symbol, r.center(), 12, colour);
}

EditorToolbar::EditorToolbar(EditorDocument& document, std::function<void()> openSettings, QWidget* parent)
    : QWidget(parent)
    , m_doc(document)
    , m_presence(new SpringAnimation(Spring { 0.3, 0.8 }, this))
{
    setObjectName(QStringLiteral("editorToolbar"));
    setFixedHeight(kHeight);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 0, 14, 0);
    row->setSpacing(6);
    row->addSpacing(62); // room for the window's own buttons where the desktop puts them inside
    row->addStretch(1);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setFont(Theme::font(12, QFont::Medium));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setAttribute(Qt::WA_TransparentForMouseEvents); // a press on the title drags the window
    row->addWidget(m_title, 4);
    row->addStretch(1);

    m_selectionGroup = new QWidget(this);
    m_selectionGroup->setFixedSize(0, 24);
    m_trash = new ToolbarButton(QStringLiteral("trash"), m_selectionGroup);
    m_trash->setToolTip(platformText("Delete selection (⌫)"));
    m_trash->tint = [](bool, bool) { return Theme::rgb(0xFF, 0x3B, 0x30); };
    row->addWidget(m_selectionGroup);

    const auto history = [](bool dark, bool enabled) {
        if (!enabled)
            return dark ? Theme::rgb(0x6B, 0x6B, 0x70) : Theme::rgb(0xC4, 0xC4, 0xC9);
        return Theme::accentFor(dark ? ColorScheme::dark : ColorScheme::light);
    };
    m_undo = new ToolbarButton(QStringLiteral("arrow.uturn.backward"), this);
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->tint = history;
    m_redo = new ToolbarButton(QStringLiteral("arrow.uturn.forward"), this);
    m_redo->setObjectName(QStringLiteral("redo"));
    m_redo->tint = history;
    m_settings = new ToolbarButton(QStringLiteral("gearshape.fill"), this);
    m_settings->setObjectName(QStringLiteral("settings"));
    row->addWidget(m_undo);
    row->addWidget(m_redo);
    row->addWidget(m_settings);

    connect(m_trash, &QAbstractButton::clicked, this, &EditorToolbar::deleteSelection);
    connect(m_undo, &QAbstractButton::clicked, &m_doc, &EditorDocument::undo);
    connect(m_redo, &QAbstractButton::clicked, &m_doc, &EditorDocument::redo);
    connect(m_settings, &QAbstractButton::clicked, this, [openSettings] {
        if (openSettings)
            openSettings();
    });
    connect(m_presence, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { applyPresence(v.toDouble()); });

    connect(&m_doc, &EditorDocument::historyChanged, this, &EditorToolbar::syncHistory);
    connect(&m_doc, &EditorDocument::titleChanged, this, &EditorToolbar::syncTitle);
    connect(&m_doc, &EditorDocument::selectedAnnotationChanged, this, &EditorToolbar::syncSelection);
    connect(&m_doc, &EditorDocument::selectedManualRedactionChanged, this, &EditorToolbar::syncSelection);
    syncHistory();
    syncTitle();
    applyPresence(hasSelection() ? 1 : 0);
    m_presence->setEndValue(hasSelection() ? 1.0 : 0.0);
}

bool EditorToolbar::hasSelection() const
{
    return m_doc.selectedAnnotation().has_value() || m_doc.selectedManualRedaction().has_value();
}

void EditorToolbar::deleteSelection()
{
    if (m_doc.selectedManualRedaction())
        m_doc.deleteSelectedManualRedaction();
    else
        m_doc.deleteSelectedAnnotation();
}

void EditorToolbar::setBackground(QWidget* background)
{
    m_background = background;
    if (!background)
        return;
    background->setParent(this);
    background->setGeometry(rect());
    background->lower();
    background->show();
}

void EditorToolbar::syncSelection()
{
    m_presence->retarget(hasSelection() ? 1.0 : 0.0);
}

void EditorToolbar::finishAnimations()
{
    m_presence->stop();
    applyPresence(hasSelection() ? 1 : 0);
}

void EditorToolbar::applyPresence(double presence)
{
    const double t = std::clamp(presence, 0.0, 1.2);
    m_selectionGroup->setFixedWidth(int(std::lround(kSelectionGroupWidth * std::min(t, 1.0))));
    m_selectionGroup->setVisible(t > 0.001);
    m_trash->setGeometry(0, 0, 26, 24);
    m_trash->setPresence(presence);
    m_trash->setEnabled(hasSelection());
    update();
}

void EditorToolbar::syncHistory()
{
    m_undo->setEnabled(m_doc.canUndo());
    m_redo->setEnabled(m_doc.canRedo());
}

void EditorToolbar::syncTitle()
{
    m_title->setText(m_title->fontMetrics().elidedText(m_doc.title(), Qt::ElideMiddle, std::max(0, m_title->width())));
    m_title->setToolTip(m_doc.title());
}

void EditorToolbar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_background)
        m_background->setGeometry(rect());
    syncTitle();
}

void EditorToolbar::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const bool dark = scheme == ColorScheme::dark;
    QPainter p(this);
    p.fillRect(rect(), dark ? Theme::rgb(0x20, 0x20, 0x22) : QColor(Qt::white));
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::WindowText, dark ? Theme::rgb(0xC4, 0xC4, 0xC9) : Theme::rgb(0x4B, 0x4B, 0x50));
    if (m_title->palette() != palette)
        m_title->setPalette(palette);
    // The hairline after the trash button, fading with it.
    if (m_selectionGroup->isVisible()) {
        QColor c = Theme::primaryText(scheme);
        c.setAlphaF(float(0.12 * std::clamp(m_trash->presence(), 0.0, 1.0)));
        const QPointF at = m_selectionGroup->mapTo(this, QPointF(32, 4));
        p.fillRect(QRectF(at.x(), at.y(), 0.5, 16), c);
    }
    // The divider over the bottom edge.
    p.fillRect(QRectF(0, kHeight - 1, width(), 1), dark ? Theme::rgb(255, 255, 255, 0.1) : Theme::rgb(0, 0, 0, 0.1));
}
