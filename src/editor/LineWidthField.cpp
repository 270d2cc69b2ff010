#include "editor/LineWidthField.h"

#include "editor/EditorDocument.h"
#include "editor/FormatTile.h"
#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {
constexpr QSize kFieldSize { 28, 26 };

int wholeWidth(double fraction)
{
    if (!std::isfinite(fraction))
        return LineWidthField::kMinWidth;
    return int(std::clamp(std::trunc(fraction), -1e9, 1e9));
}
}

LineWidthField::LineWidthField(EditorDocument* document, QUuid annotationID, QString* widthText, QWidget* parent)
    : QWidget(parent)
    , m_ref(document, annotationID)
    , m_widthText(widthText)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    m_minus = FormatTile::stepButton(QStringLiteral("minus"), this);
    m_plus = FormatTile::stepButton(QStringLiteral("plus"), this);
    m_edit = new QLineEdit(this);
    m_edit->setFixedSize(kFieldSize);
    m_edit->setFrame(false);
    m_edit->setAlignment(Qt::AlignCenter);
    m_edit->setFont(Theme::font(12, QFont::Medium));
    m_edit->setTextMargins(0, 0, 0, 0);
    m_edit->installEventFilter(this);
    row->addWidget(m_minus);
    row->addWidget(m_edit);
    row->addWidget(m_plus);

    connect(m_minus, &QAbstractButton::clicked, this, [this] { step(-1); });
    connect(m_plus, &QAbstractButton::clicked, this, [this] { step(+1); });
    connect(m_edit, &QLineEdit::returnPressed, this, &LineWidthField::submit);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_widthText)
            *m_widthText = text;
    });
    if (document)
        connect(document, &EditorDocument::annotationsChanged, this, &LineWidthField::follow);

    if (const auto annotation = m_ref.value())
        m_shownFraction = annotation->lineWidthFraction;
    show(currentWidth());
}

LineWidthField::~LineWidthField()
{
    // The field loses focus as it is torn down; that is no edit to put back, and the layer's
    // text may already be gone.
    m_edit->removeEventFilter(this);
    m_widthText = nullptr;
}

std::optional<int> LineWidthField::parse(const QString& text)
{
    // Anchored to the very end: "$" alone would also take a pasted "5\n".
    static const QRegularExpression wholeNumber(QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+")));
    if (!wholeNumber.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return int(std::clamp<qlonglong>(value, kMinWidth, kMaxWidth));
}

int LineWidthField::currentWidth() const
{
    const auto annotation = m_ref.value();
    return wholeWidth(annotation ? annotation->lineWidthFraction : m_shownFraction);
}

void LineWidthField::show(int width)
{
    const QString text = QString::number(width);
    m_edit->setText(text);
    if (m_widthText)
        *m_widthText = text;
}

void LineWidthField::step(int delta)
{
    const int width = std::clamp(currentWidth() + delta, kMinWidth, kMaxWidth);
    if (EditorDocument* document = m_ref.document())
        document->pushUndo();
    m_ref.setLineWidth(width);
    show(width);
}

void LineWidthField::submit()
{
    const std::optional<int> width = parse(m_edit->text());
    if (!width) {
        show(currentWidth());
        return;
    }
    if (EditorDocument* document = m_ref.document())
        document->pushUndo();
    m_ref.setLineWidth(*width);
    show(*width);
}

void LineWidthField::follow()
{
    const auto annotation = m_ref.value();
    if (!annotation || annotation->lineWidthFraction == m_shownFraction)
        return;
    m_shownFraction = annotation->lineWidthFraction;
    show(wholeWidth(m_shownFraction));
}

bool LineWidthField::eventFilter(QObject* watched, QEvent* event)
{
    // Escape ends typing here: what was typed is taken as Return takes it, and the key goes on
    // to the bar around the field, which hands the keyboard back to the canvas.
    if (watched == m_edit && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept();
                return true;
            }
            submit();
            event->ignore();
            return true;
        }
    }
    // Moving on to another control drops what was typed without Return; a menu opening over the
    // field or the user switching windows for a moment does not.
    if (watched == m_edit && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            show(currentWidth());
    }
    return QWidget::eventFilter(watched, event);
}

void LineWidthField::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    QColor fill = Theme::primaryText(scheme);
    fill.setAlphaF(0.06f);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(continuousRoundedRect(QRectF(m_edit->geometry()), 5), fill);
    // The field itself draws no panel; its text takes the scheme's primary colour.
    QPalette palette = m_edit->palette();
    if (palette.color(QPalette::Text) != Theme::primaryText(scheme)) {
        palette.setColor(QPalette::Base, Qt::transparent);
        palette.setColor(QPalette::Text, Theme::primaryText(scheme));
        m_edit->setPalette(palette);
    }
}
