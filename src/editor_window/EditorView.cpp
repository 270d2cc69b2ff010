#include "editor_window/EditorView.h"

#include "inspector/InspectorView.h"

#include "editor/EditorDocument.h"
#include "editor_window/EditorToolbar.h"
#include "editor_window/StageEventMonitor.h"
#include "editor_window/ToolDock.h"
#include "ui/BeautifiedCanvas.h"
#include "ui/Theme.h"
#include "ui/Toast.h"

#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QPainterPath>

#include <cmath>
#include <QShortcut>
#include <QVBoxLayout>

// The area under the toolbar: paints the striped backdrop and places the layers over it.
namespace {
// One 44 x 44 pt period of the backdrop: the base colour and the part of a 22 pt band leaning
// 45 degrees (from top-left to bottom-right) that crosses it.
QImage stripeTile(bool dark, qreal dpr)
{
    static QImage cached[2];
    QImage& tile = cached[dark ? 1 : 0];
    if (!tile.isNull() && qFuzzyCompare(tile.devicePixelRatio(), dpr))
        return tile;
    const int side = int(std::lround(44 * dpr));
    tile = QImage(side, side, QImage::Format_RGB32);
    tile.setDevicePixelRatio(dpr);
    tile.fill(dark ? Theme::rgb(0x16, 0x16, 0x18) : QColor(Qt::white));
    QPainter t(&tile);
    t.setRenderHint(QPainter::Antialiasing);
    t.setPen(Qt::NoPen);
    t.setBrush(dark ? Theme::rgb(0x1B, 0x1B, 0x1E) : Theme::rgb(0xF5, 0xF5, 0xF5));
    for (const double x : { -44.0, 0.0, 44.0 }) {
        QPolygonF band;
        band << QPointF(x, 0) << QPointF(x + 44, 44) << QPointF(x + 66, 44) << QPointF(x + 22, 0);
        t.drawPolygon(band);
    }
    return tile;
}

}

class EditorView::Body : public QWidget {
public:
    Body(EditorView* view)
        : QWidget(view)
        , m_view(view)
    {
        setObjectName(QStringLiteral("editorBody"));
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const bool dark = Theme::colorScheme(this) == ColorScheme::dark;
        QPainter p(this);
        // Bands 22 pt wide leaning 45 degrees, every 44 pt, the first starting at x = -H so the
        // bottom-left corner is covered. The pattern repeats every 44 pt both ways, so one tile
        // drawn as a texture, shifted to that phase, paints it at the cost of a fill.
        QBrush bands(stripeTile(dark, devicePixelRatioF()));
        const double phase = std::fmod(-double(height()), 44.0);
        bands.setTransform(QTransform::fromTranslate(phase, 0));
        p.fillRect(event->rect(), bands);
        QPalette palette = m_view->m_hint->palette();
        palette.setColor(QPalette::WindowText, Theme::secondaryText(Theme::colorScheme(this)));
        if (palette != m_view->m_hint->palette())
            m_view->m_hint->setPalette(palette);
    }
    void resizeEvent(QResizeEvent*) override { m_view->layoutBody(); }

private:
    EditorView* m_view;
};

EditorView::EditorView(std::shared_ptr<EditorDocument> document, Preferences& prefs, Hooks hooks, QWidget* parent)
    : QWidget(parent)
    , m_document(std::move(document))
{
    setObjectName(QStringLiteral("editor"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    EditorDocument& doc = *m_document;

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_toolbar = new EditorToolbar(doc, hooks.openSettings, this);
    if (hooks.toolbarBackground)
        m_toolbar->setBackground(hooks.toolbarBackground(m_toolbar, EditorToolbar::kHeight));
    column->addWidget(m_toolbar);
    m_body = new Body(this);
    column->addWidget(m_body, 1);

    m_stage = new CanvasStage(doc, prefs, hooks.copyAndClose, m_body);
    m_dock = new ToolDock(doc, m_body);
    InspectorServices services = hooks.inspectorServices;
    if (!services.preferences)
        services.preferences = &prefs;
    if (!services.showFailureToast)
        services.showFailureToast = hooks.failureToast;
    m_inspector = new InspectorView(&doc, m_body, services);
    // A wheel over the inspector scrolls it or nothing; it never pans the canvas.
    m_stage->monitor().keepWheelOver(m_inspector);
    m_pill = new ActionPill(doc, hooks.copy, [this](const std::function<void()>& change) { m_stage->animateZoom(change); },
        hooks.exportHooks ? *hooks.exportHooks : ExportHooks::standard(hooks.toast, hooks.failureToast), m_body);
    // Failures and hints come up while the user works: the pill stays usable under them.
    keepToastsClearOf(m_pill);
    m_hint = new QLabel(tr("Double-click the background to copy & close"), m_body);
    m_hint->setObjectName(QStringLiteral("hint"));
    m_hint->setFont(Theme::font(10.5));
    m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette hintPalette = m_hint->palette();
    hintPalette.setColor(QPalette::WindowText, Theme::secondaryText(Theme::colorScheme(this)));
    m_hint->setPalette(hintPalette);

    // Delete and Backspace, as the keyboard names the key.
    for (const auto key : { Qt::Key_Delete, Qt::Key_Backspace }) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &EditorView::deleteSelectedAnnotation);
    }
    Theme::followColorScheme(this);
}

EditorView::~EditorView()
{
    // The stage's render cache belongs to this document.
    m_stage->canvas()->clearCache();
}

void EditorView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Keys start on the canvas, not in the inspector's first text field.
    m_stage->setFocus();
}

bool EditorView::deleteEnabled() const
{
    return m_document->selectedAnnotation().has_value() && !m_document->isEditingText() && !focusTakesText();
}

void EditorView::deleteSelectedAnnotation()
{
    if (deleteEnabled())
        m_document->deleteSelectedAnnotation();
}

int EditorView::inspectorMaxHeight() const
{
    return std::max(m_body->height() - 12 - 20, 0);
}

void EditorView::layoutBody()
{
    const QRect area = m_body->rect();
    m_stage->setGeometry(area);

    const QSize dock = m_dock->sizeHint();
    m_dock->setGeometry(20, (area.height() - dock.height()) / 2, dock.width(), dock.height());

    const int maxHeight = inspectorMaxHeight();
    m_inspector->setMaxHeight(maxHeight);
    const QSize wanted = m_inspector->sizeHint();
    // Its ideal height up to the limit; one without an ideal height takes the limit.
    const int inspectorHeight = wanted.height() > 0 ? std::min(wanted.height(), maxHeight) : maxHeight;
    m_inspector->setGeometry(area.width() - 20 - kInspectorWidth, 12, kInspectorWidth, inspectorHeight);

    const QSize pill = m_pill->sizeHint();
    const QSize hint = m_hint->sizeHint();
    const int bottom = area.height() - 16;
    m_hint->setGeometry((area.width() - hint.width()) / 2, bottom - hint.height(), hint.width(), hint.height());
    m_pill->setGeometry((area.width() - pill.width()) / 2, bottom - hint.height() - 6 - pill.height(), pill.width(),
        pill.height());
    m_stage->lower();
}
