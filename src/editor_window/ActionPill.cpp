#include "editor_window/ActionPill.h"

#include "editor/EditorDocument.h"
#include "platform/PlatformTexts.h"
#include "platform/SaveDialog.h"
#include "render/CanvasRenderer.h"
#include "render/ContinuousCorners.h"
#include "render/PngFiles.h"
#include "ui/Shadow.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QVariantAnimation>

#include <cmath>

ExportHooks ExportHooks::standard(std::function<void(const QString&)> toast, std::function<void(const QString&)> failureToast)
{
    ExportHooks hooks;
    hooks.render = [](const EditorDocument& doc) {
        return renderCanvasPNG(doc.image(), doc.settings(), doc.annotations(), doc.allRedactionRects());
    };
    hooks.askPath = [](QWidget* parent, const QString& name, std::function<void(std::optional<QString>)> done) {
        askSavePath(parent, { QObject::tr("Export"), name, QObject::tr("PNG image"), QStringLiteral("*.png") },
            std::move(done));
    };
    hooks.write = [](QDialog::DialogCode code, const QString& path, const QByteArray& data,
                      const ExportCompletion& completion) { return exportPNG(code, path, data, completion); };
    hooks.toast = std::move(toast);
    hooks.failureToast = std::move(failureToast);
    return hooks;
}

PillButton::PillButton(Look look, const QString& title, const QString& hint, QWidget* parent)
    : QAbstractButton(parent)
    , m_look(look)
    , m_hint(hint)
{
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (look == Look::percentage) {
        m_lookChange = new QVariantAnimation(this);
        m_lookChange->setDuration(150);
        m_lookChange->setEasingCurve(QEasingCurve::InOutQuad);
        m_lookChange->setStartValue(1.0);
        m_lookChange->setEndValue(1.0);
        connect(m_lookChange, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    }
}

void PillButton::setAtActualSize(bool at)
{
    if (at == m_atActualSize)
        return;
    m_atActualSize = at;
    if (m_lookChange) {
        const QVariant now = m_lookChange->state() == QAbstractAnimation::Running ? m_lookChange->currentValue()
                                                                                   : m_lookChange->endValue();
        m_lookChange->stop();
        m_lookChange->setStartValue(now);
        m_lookChange->setEndValue(at ? 1.0 : 0.0);
        m_lookChange->start();
    }
    update();
}

QSize PillButton::sizeHint() const
{
    switch (m_look) {
    case Look::zoomSymbol:
        return { 26, 34 };
    case Look::percentage:
        return { 42, 34 };
    case Look::copy: {
        const qreal w = QFontMetricsF(Theme::font(13, QFont::DemiBold)).horizontalAdvance(text()) + 7
            + QFontMetricsF(Theme::font(13, QFont::Medium)).horizontalAdvance(m_hint) + 36;
        return { int(std::ceil(w)), 34 };
    }
    case Look::secondary: {
        qreal w = QFontMetricsF(Theme::font(13, QFont::Medium)).horizontalAdvance(text()) + 30;
        if (!m_hint.isEmpty())
            w += 6 + QFontMetricsF(Theme::font(13)).horizontalAdvance(m_hint);
        return { int(std::ceil(w)), 34 };
    }
    }
    return {};
}

void PillButton::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    const bool dark = scheme == ColorScheme::dark;
    const QColor zoomColour = dark ? Theme::rgb(0xAE, 0xB4, 0xC2) : Theme::rgb(0x5B, 0x61, 0x70);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(rect());
    // Two texts side by side, centred as one line.
    const auto pair = [&](const QFont& titleFont, const QColor& titleColour, const QFont& hintFont,
                          const QColor& hintColour, qreal spacing) {
        const qreal tw = QFontMetricsF(titleFont).horizontalAdvance(text());
        const qreal hw = m_hint.isEmpty() ? 0 : QFontMetricsF(hintFont).horizontalAdvance(m_hint);
        qreal x = r.center().x() - (tw + (m_hint.isEmpty() ? 0 : spacing + hw)) / 2;
        p.setFont(titleFont);
        p.setPen(titleColour);
        p.drawText(QRectF(x, 0, tw + 1, r.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
        if (!m_hint.isEmpty()) {
            x += tw + spacing;
            p.setFont(hintFont);
            p.setPen(hintColour);
            p.drawText(QRectF(x, 0, hw + 1, r.height()), Qt::AlignVCenter | Qt::AlignLeft, m_hint);
        }
    };
    switch (m_look) {
    case Look::copy: {
        p.fillPath(continuousRoundedRect(r, 10), Theme::accentGradient());
        pair(Theme::font(13, QFont::DemiBold), Qt::white, Theme::font(13, QFont::Medium), Theme::rgb(255, 255, 255, 0.7), 7);
        break;
    }
    case Look::secondary: {
        p.fillPath(continuousRoundedRect(r, 10), dark ? Theme::rgb(255, 255, 255, 0.12) : Theme::rgb(255, 255, 255, 0.7));
        if (!dark) {
            p.setPen(QPen(Theme::rgb(0, 0, 0, 0.06), 0.5));
            p.drawPath(continuousRoundedRect(r.adjusted(0.25, 0.25, -0.25, -0.25), 9.75));
        }
        const QColor ink = dark ? Theme::rgb(0xE8, 0xEA, 0xF0) : Theme::rgb(0x1D, 0x23, 0x30);
        QColor hint = ink;
        hint.setAlphaF(0.5f);
        pair(Theme::font(13, QFont::Medium), ink, Theme::font(13), hint, 6);
        break;
    }
    case Look::zoomSymbol:
        Symbols::paint(p, text(), r.center(), 11, zoomColour, QFont::Medium);
        break;
    case Look::percentage: {
        // Cross-fades between the quiet look at 100 % and the emphasised one.
        const double t = m_lookChange->state() == QAbstractAnimation::Running ? m_lookChange->currentValue().toDouble()
                                                                              : (m_atActualSize ? 1.0 : 0.0);
        const std::pair<double, bool> looks[] = { { t, true }, { 1 - t, false } };
        for (const auto& [opacity, actual] : looks) {
            if (opacity <= 0.001)
                continue;
            p.setOpacity(opacity);
            p.setFont(Theme::font(12, actual ? QFont::Normal : QFont::DemiBold));
            p.setPen(actual ? zoomColour : Theme::primaryText(scheme));
            p.drawText(r, Qt::AlignCenter, text());
        }
        break;
    }
    }
}

ActionPill::ActionPill(EditorDocument& document, std::function<void()> copy,
    std::function<void(const std::function<void()>&)> animateZoom, ExportHooks exportHooks, QWidget* parent)
    : GlassPanel(16, parent)
    , m_doc(document)
    , m_copyAction(std::move(copy))
    , m_animateZoom(std::move(animateZoom))
    , m_hooks(std::move(exportHooks))
{
    setObjectName(QStringLiteral("actionPill"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    m_copy = new PillButton(PillButton::Look::copy, tr("Copy"), platformText("⌘C"), this);
    m_copy->setObjectName(QStringLiteral("copy"));
    m_export = new PillButton(PillButton::Look::secondary, tr("Export"), platformText("⌘E"), this);
    m_export->setObjectName(QStringLiteral("export"));
    row->addWidget(m_copy);
    row->addWidget(m_export);
    auto* hairline = new QWidget(this);
    hairline->setObjectName(QStringLiteral("pillHairline"));
    hairline->setFixedSize(5, 24); // 0.5 pt line with 2 pt either side
    row->addWidget(hairline);

    auto* zoom = new QHBoxLayout;
    zoom->setSpacing(2);
    m_zoomOut = new PillButton(PillButton::Look::zoomSymbol, QStringLiteral("minus"), {}, this);
    m_zoomOut->setObjectName(QStringLiteral("zoomOut"));
    m_percentage = new PillButton(PillButton::Look::percentage, {}, {}, this);
    m_percentage->setObjectName(QStringLiteral("zoomPercent"));
    m_percentage->setToolTip(tr("Reset zoom to 100%"));
    m_zoomIn = new PillButton(PillButton::Look::zoomSymbol, QStringLiteral("plus"), {}, this);
    m_zoomIn->setObjectName(QStringLiteral("zoomIn"));
    zoom->addWidget(m_zoomOut);
    zoom->addWidget(m_percentage);
    zoom->addWidget(m_zoomIn);
    row->addLayout(zoom);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // The innermost change names the document, not `this`: GCC 12 with the address sanitizer
    // miscompiles a `this` captured through two lambda levels here.
    const auto animated = [this](void (EditorDocument::*op)()) {
        return [this, op] {
            EditorDocument* doc = &m_doc;
            const auto change = [doc, op] { (doc->*op)(); };
            if (m_animateZoom)
                m_animateZoom(change);
            else
                change();
        };
    };
    connect(m_copy, &QAbstractButton::clicked, this, [this] {
        if (m_copyAction)
            m_copyAction();
    });
    connect(m_export, &QAbstractButton::clicked, this, &ActionPill::exportImage);
    connect(m_zoomOut, &QAbstractButton::clicked, this, animated(&EditorDocument::zoomOut));
    connect(m_zoomIn, &QAbstractButton::clicked, this, animated(&EditorDocument::zoomIn));
    connect(m_percentage, &QAbstractButton::clicked, this, [this, reset = animated(&EditorDocument::resetZoom)] {
        reset();
        // Outside the animation: the stage springs its pan back itself.
        m_doc.setPanResetToken(m_doc.panResetToken() + 1);
    });

    auto* copyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_C), this);
    connect(copyKey, &QShortcut::activated, m_copy, &QAbstractButton::click);
    auto* exportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(exportKey, &QShortcut::activated, this, &ActionPill::exportImage);

    connect(&m_doc, &EditorDocument::zoomChanged, this, &ActionPill::syncZoom);
    syncZoom();
}

QString ActionPill::percentText(double zoom)
{
    return tr("%1%").arg(qint64(zoom * 100));
}

bool ActionPill::isActualSize(double zoom)
{
    return std::abs(zoom - 1.0) < 0.01;
}

void ActionPill::syncZoom()
{
    m_percentage->setText(percentText(m_doc.zoom()));
    m_percentage->setAtActualSize(isActualSize(m_doc.zoom()));
}

void ActionPill::exportImage()
{
    if (m_exportPending)
        return;
    // Rendered now: edits made while the dialog is open do not reach the file.
    const QByteArray data = m_hooks.render ? m_hooks.render(m_doc) : QByteArray();
    // The renderer logs why; the user must still hear that nothing will be saved.
    if (data.isEmpty()) {
        if (m_hooks.failureToast)
            m_hooks.failureToast(tr("Export failed"));
        return;
    }
    const EditorDocument::Content exported = m_doc.content();
    m_exportPending = true;
    const QString name = QStringLiteral("Lumaforge ") + screenshotDateString() + QStringLiteral(".png");
    QPointer<ActionPill> self(this);
    const ExportHooks hooks = m_hooks;
    m_hooks.askPath(window(), name, [self, hooks, data, exported](std::optional<QString> path) {
        if (self)
            self->m_exportPending = false;
        hooks.write(path ? QDialog::Accepted : QDialog::Rejected, path.value_or(QString()), data,
            [&](bool ok, const std::optional<FileWriteFailure>& failure) {
                if (ok && self)
                    self->m_doc.markCopiedOrExported(exported);
                if (ok && hooks.toast)
                    hooks.toast(tr("Exported"));
                else if (!ok && path && hooks.failureToast)
                    hooks.failureToast(failure ? tr("Couldn't export the image: %1").arg(failure->reason()) : tr("Export failed"));
            });
    });
}

void ActionPill::paintEvent(QPaintEvent* event)
{
    GlassPanel::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (QWidget* hairline = findChild<QWidget*>(QStringLiteral("pillHairline"))) {
        QColor c = Theme::primaryText(Theme::colorScheme(this));
        c.setAlphaF(0.15f);
        p.fillRect(QRectF(hairline->x() + 2.25, hairline->y(), 0.5, 24), c);
    }
    paintShadow(p, continuousRoundedRect(QRectF(m_copy->geometry()), 10), Theme::rgb(0x80, 0x20, 0xF0, 0.45), 6,
        QPointF(0, 2));
}
