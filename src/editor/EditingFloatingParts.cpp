#include "editor/EditingFloatingParts.h"

#include "editor/AnnotationEditController.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/AnnotationRef.h"
#include "editor/EditingOverlay.h"
#include "editor/EditorDocument.h"
#include "editor/FormatBarContainer.h"
#include "editor/FormatBarFactory.h"
#include "render/AnnotationLayer.h"

#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace EditingGeometry;

namespace {
// Room for a button's shadow around its 30 pt circle; two of them side by side stand 38 pt apart,
// the circles' width plus the 8 pt spacing.
constexpr int kCropButtonBox = 38;

class CropActionButton final : public QAbstractButton {
public:
    CropActionButton(EditingOverlay::CropAction action, QWidget* parent)
        : QAbstractButton(parent)
        , m_action(action)
    {
        setFixedSize(kCropButtonBox, kCropButtonBox);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        EditingOverlay::paintCropActionButton(p, QRectF(rect()).center(), m_action, isDown());
    }
    bool hitButton(const QPoint& pos) const override
    {
        const QPointF d = QPointF(pos) - QRectF(rect()).center();
        return std::hypot(d.x(), d.y()) <= EditingOverlay::cropButtonSide / 2;
    }

private:
    EditingOverlay::CropAction m_action;
};

// The inline field: a line edit that remembers the input method's text being composed, which it
// shows but does not hold until the composition is committed.
class InlineTextField final : public QLineEdit {
public:
    InlineTextField(QWidget* parent, std::function<void()> preeditChanged)
        : QLineEdit(parent)
        , m_preeditChanged(std::move(preeditChanged))
    {
    }
    QString preedit() const { return m_preedit; }

protected:
    void inputMethodEvent(QInputMethodEvent* event) override
    {
        const QString preedit = event->preeditString();
        QLineEdit::inputMethodEvent(event);
        if (preedit != m_preedit) {
            m_preedit = preedit;
            m_preeditChanged();
        }
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QLineEdit::focusOutEvent(event);
        // Losing focus commits or drops what was being composed.
        if (!m_preedit.isEmpty()) {
            m_preedit.clear();
            m_preeditChanged();
        }
    }

private:
    QString m_preedit;
    std::function<void()> m_preeditChanged;
};

int barSlotOf(Annotation::Kind kind)
{
    switch (kind) {
    case Annotation::Kind::text: return 0;
    case Annotation::Kind::highlight: return 1;
    default: return 2;
    }
}

Qt::Alignment alignmentOf(Annotation::Align align)
{
    switch (align) {
    case Annotation::Align::center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case Annotation::Align::trailing: return Qt::AlignRight | Qt::AlignVCenter;
    case Annotation::Align::leading: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}
}

EditingFloatingParts::EditingFloatingParts(AnnotationEditingLayer* layer, AnnotationEditController* controller)
    : QObject(layer)
    , m_layer(layer)
    , m_controller(controller)
    , m_host(layer)
{
    ensureFloating();
}

EditingFloatingParts::~EditingFloatingParts()
{
    // Parts living in another widget go with the layer.
    if (m_host && m_host != m_layer) {
        delete m_textField.data();
        delete m_cropButtons.data();
        for (BarState& state : m_bars)
            delete state.bar.data();
    }
}

void EditingFloatingParts::focusTextField(bool focused)
{
    syncTextField();
    if (!m_textField)
        return;
    if (focused && !m_textField->isHidden())
        m_textField->setFocus(Qt::OtherFocusReason);
    else if (!focused && m_textField->hasFocus())
        m_layer->setFocus(Qt::OtherFocusReason);
}

QWidget* EditingFloatingParts::host() const
{
    return m_host ? m_host.data() : static_cast<QWidget*>(m_layer);
}

void EditingFloatingParts::setHost(QWidget* host)
{
    if (!host)
        host = m_layer;
    if (host == m_host)
        return;
    m_host = host;
    const auto move = [host](QWidget* w) {
        if (!w)
            return;
        const bool hidden = w->isHidden();
        w->setParent(host);
        w->setVisible(!hidden);
    };
    move(m_textField);
    move(m_cropButtons);
    for (BarState& state : m_bars)
        move(state.bar);
    sync();
}

void EditingFloatingParts::setFormatBarFactory(FormatBarFactory* factory)
{
    m_factory = factory;
    // Bars shown now were built without it; build them again.
    for (BarState& state : m_bars) {
        delete state.bar.data();
        state = {};
    }
    m_barSelection.reset();
    syncFormatBars();
}

FormatBarContainer* EditingFloatingParts::formatBar() const
{
    for (const BarState& state : m_bars) {
        if (state.bar && !state.bar->isDisappearing())
            return state.bar;
    }
    return nullptr;
}

void EditingFloatingParts::ensureFloating()
{
    QWidget* host = this->host();
    if (!m_textField) {
        m_textField = new InlineTextField(host, [this] { syncTextField(); });
        m_textField->setObjectName(QStringLiteral("inlineTextField"));
        m_textField->setFrame(false);
        m_textField->setTextMargins(0, 0, 0, 0);
        m_textField->setPlaceholderText(AnnotationEditingLayer::tr("Type…"));
        m_textField->setAttribute(Qt::WA_TranslucentBackground);
        QPalette palette = m_textField->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        m_textField->setPalette(palette);
        m_textField->hide();
        connect(m_textField, &QLineEdit::textEdited, this, &EditingFloatingParts::textEdited);
        connect(m_textField, &QLineEdit::returnPressed, m_controller, &AnnotationEditController::finishTextEditing);
        m_textField->installEventFilter(this);
    }
    if (!m_cropButtons) {
        m_cropButtons = new QWidget(host);
        m_cropButtons->setObjectName(QStringLiteral("cropButtons"));
        m_cropButtons->setAttribute(Qt::WA_TranslucentBackground);
        m_cropButtons->setFixedSize(2 * kCropButtonBox, kCropButtonBox);
        m_cropCancel = new CropActionButton(EditingOverlay::CropAction::cancel, m_cropButtons);
        m_cropCancel->setObjectName(QStringLiteral("cropCancelButton"));
        m_cropCancel->setToolTip(AnnotationEditingLayer::tr("Cancel"));
        m_cropConfirm = new CropActionButton(EditingOverlay::CropAction::confirm, m_cropButtons);
        m_cropConfirm->setObjectName(QStringLiteral("cropConfirmButton"));
        m_cropConfirm->setToolTip(AnnotationEditingLayer::tr("Apply Crop"));
        m_cropConfirm->move(kCropButtonBox, 0);
        connect(m_cropCancel, &QAbstractButton::clicked, m_controller, &AnnotationEditController::cancelCrop);
        connect(m_cropConfirm, &QAbstractButton::clicked, m_controller, &AnnotationEditController::confirmCrop);
        m_cropButtons->hide();
    }
}

void EditingFloatingParts::sync()
{
    // A sync can change the document (a bar built on a selection), which calls back here.
    if (m_syncDepth > 0)
        return;
    ++m_syncDepth;
    ensureFloating();
    syncTextField();
    syncCropButtons();
    syncFormatBars();
    --m_syncDepth;
}

QPointF EditingFloatingParts::toHost(QPointF p) const
{
    QWidget* h = host();
    if (h == m_layer)
        return p;
    if (h->isAncestorOf(m_layer))
        return QPointF(m_layer->mapTo(h, QPoint(0, 0))) + p;
    return QPointF(h->mapFromGlobal(m_layer->mapToGlobal(QPoint(0, 0)))) + p;
}

QString EditingFloatingParts::singleLine(const QString& text)
{
    // The field is one line and shows a line break as a space, but the canvas would start a new
    // line there: a pasted "a\r\nb" becomes "a b".
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\v\\f\\x{85}\\x{2028}\\x{2029}]"));
    QString line = text;
    line.replace(breaks, QStringLiteral(" "));
    return line;
}

void EditingFloatingParts::textEdited(const QString& text)
{
    const QString line = singleLine(text);
    if (line != text && m_textField) {
        const int cursor = m_textField->cursorPosition() - int(text.size() - line.size());
        m_textField->setText(line);
        m_textField->setCursorPosition(std::clamp(cursor, 0, int(line.size())));
    }
    m_controller->setEditedText(line);
}

void EditingFloatingParts::syncTextField()
{
    if (!m_textField)
        return;
    const EditingFrame f = m_layer->frame();
    const std::optional<QUuid> id = m_controller->editingTextID();
    const std::optional<Annotation> a = id ? AnnotationRef(m_layer->document(), *id).value() : std::nullopt;
    if (!a || m_layer->isHidden() || !f.hasSize()) {
        // The keyboard goes back to the canvas, not on to whatever field comes next in the window.
        if (m_textField->hasFocus() && m_layer->isVisible())
            m_layer->setFocus(Qt::OtherFocusReason);
        m_textField->hide();
        return;
    }
    const double w = f.displaySize.width(), h = f.displaySize.height();
    const double size = std::max(a->fontFraction * h, 8.0);
    // The face and size the canvas draws this text with, so the field covers it exactly.
    QFont font = annotationTextFace(*a);
    font.setPointSizeF(size * 72.0 / std::max(1, m_layer->logicalDpiY()));
    if (m_textField->font() != font)
        m_textField->setFont(font);
    QPalette palette = m_textField->palette();
    const QColor ink(QRgb(0xFF000000u | (unsigned(a->colorHex) & 0xFFFFFFu)));
    QColor hint = ink;
    hint.setAlphaF(0.45f);
    if (palette.color(QPalette::Text) != ink || palette.color(QPalette::PlaceholderText) != hint) {
        palette.setColor(QPalette::Text, ink);
        palette.setColor(QPalette::PlaceholderText, hint);
        m_textField->setPalette(palette);
    }
    m_textField->setAlignment(alignmentOf(a->alignment));
    if (m_textField->text() != a->text)
        m_textField->setText(a->text);

    // QLineEdit keeps 2 px beside its text; one more on the right for the cursor.
    const QFontMetricsF metrics(font);
    // Text being composed by an input method shows in the field before it is committed.
    QString shown = a->text;
    if (const QString preedit = static_cast<InlineTextField*>(m_textField.data())->preedit(); !preedit.isEmpty())
        shown.insert(std::clamp(m_textField->cursorPosition(), 0, int(shown.size())), preedit);
    if (shown.isEmpty())
        shown = m_textField->placeholderText();
    const double advance = std::min(metrics.horizontalAdvance(shown), 16000.0);
    const QPointF anchor = toHost(QPointF(a->start.x() * w, a->start.y() * h));
    const QSize fieldSize(int(std::ceil(advance + 6)), int(std::ceil(metrics.height() + 2)));
    m_textField->setGeometry(QRect(QPoint(int(std::lround(anchor.x() - advance / 2 - 2)),
                                       int(std::lround(anchor.y() - fieldSize.height() / 2.0))),
        fieldSize));
    if (m_textField->isHidden()) {
        m_textField->show();
        m_textField->raise();
        if (m_controller->textFocused())
            m_textField->setFocus(Qt::OtherFocusReason);
    }
}

void EditingFloatingParts::syncCropButtons()
{
    if (!m_cropButtons)
        return;
    const EditingFrame f = m_layer->frame();
    EditorDocument* doc = m_layer->document();
    if (!doc || doc->tool() != AnnotationTool::crop || m_layer->isHidden() || !f.hasSize()) {
        m_cropButtons->hide();
        return;
    }
    const QRectF c = viewRectFromImageRect(f, doc->settings().cropRect.normalized());
    const QPointF center = toHost(EditingOverlay::cropButtonsCenter(c, f.displaySize));
    m_cropButtons->move(int(std::lround(center.x())) - kCropButtonBox, int(std::lround(center.y())) - kCropButtonBox / 2);
    if (m_cropButtons->isHidden()) {
        m_cropButtons->show();
        m_cropButtons->raise();
    }
}

FormatBarContainer* EditingFloatingParts::makeBar(BarSlot slot, const QUuid& id)
{
    const FormatBarContext context { m_layer->document(), id, m_controller->widthText() };
    QWidget* content = nullptr;
    if (m_factory) {
        switch (slot) {
        case textBar: content = m_factory->createTextBar(context); break;
        case highlightBar: content = m_factory->createHighlightBar(context); break;
        case shapeBar: content = m_factory->createShapeBar(context); break;
        }
    }
    auto* bar = new FormatBarContainer(content, host());
    bar->setObjectName(QStringLiteral("formatBar"));
    bar->installEventFilter(this);
    return bar;
}

bool EditingFloatingParts::eventFilter(QObject* watched, QEvent* event)
{
    // Escape ends typing in the inline field (what was typed stays) or in a bar's field (which
    // takes what was typed before passing the key on), and hands the keyboard to the canvas.
    // The event's type first: a field being destroyed still sends events here, and is no
    // longer a line edit to be compared as one.
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const bool ours = watched == m_textField.data() || qobject_cast<FormatBarContainer*>(watched);
    if (!ours)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    // No shortcut of the window takes Escape from a field being typed in.
    event->accept();
    if (event->type() == QEvent::KeyPress) {
        if (m_layer->isVisible())
            m_layer->setFocus(Qt::OtherFocusReason);
        if (watched == m_textField.data())
            m_controller->finishTextEditing();
    }
    return true;
}

void EditingFloatingParts::syncFormatBars()
{
    EditorDocument* doc = m_layer->document();
    const EditingFrame f = m_layer->frame();
    const std::optional<Annotation> selected = doc && !m_layer->isHidden() && f.hasSize() ? doc->selectedAnnotationValue()
                                                                                : std::nullopt;
    const std::optional<QUuid> id = selected ? std::optional<QUuid>(selected->id) : std::nullopt;
    const int wanted = selected ? barSlotOf(selected->kind) : -1;

    if (id != m_barSelection) {
        m_barSelection = id;
        if (selected) {
            const double width = std::isfinite(selected->lineWidthFraction) ? std::trunc(selected->lineWidthFraction) : 0;
            *m_controller->widthText() = QString::number(qint64(std::clamp(width, -1e9, 1e9)));
        }
    }
    for (int slot = 0; slot < int(m_bars.size()); ++slot) {
        BarState& state = m_bars[size_t(slot)];
        const bool keep = wanted == slot && state.bar && state.id == id;
        if (!keep && state.bar)
            state.bar->disappear();
        if (!keep)
            state = {};
        if (wanted != slot)
            continue;
        if (!state.bar) {
            state.bar = makeBar(BarSlot(slot), *id);
            state.id = id;
            state.bar->appear();
        }
        state.bar->setCenter(toHost(EditingOverlay::formatBarCenter(*selected, f.displaySize)));
    }
}

