#include "inspector/InspectorView.h"

#include "editor/EditorDocument.h"
#include "inspector/InspectorAspectSection.h"
#include "inspector/InspectorBackgroundSection.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorFrameSection.h"
#include "inspector/InspectorImageSection.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"
#include "inspector/InspectorPresetsButton.h"
#include "inspector/InspectorRedactionSection.h"
#include "inspector/InspectorStyleSection.h"
#include "inspector/SavePresetDialog.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "render/ContinuousCorners.h"
#include "ui/GlassPanel.h"
#include "ui/LumaSegmented.h"
#include "ui/Theme.h"
#include "ui/Toast.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QVariantAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

// The glass behind the inspector: shadows around the panel's shape, then its material.
class InspectorGlass final : public QWidget {
public:
    static constexpr qreal cornerRadius = 22;

    InspectorGlass(QWidget* parent, QWidget* inspector)
        : QWidget(parent)
        , m_inspector(inspector)
        , m_inside(parent == inspector)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        Theme::followColorScheme(this);
    }
    int margin() const { return m_inside ? 0 : int(std::ceil(GlassPanel::shadowMargin())); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // The inspector's scheme: one forced on the inspector alone applies to its glass too.
        const ColorScheme scheme = Theme::colorScheme(m_inspector ? m_inspector.data() : this);
        QPainter p(this);
        const QRectF panel = QRectF(rect()).adjusted(margin(), margin(), -margin(), -margin());
        // Inside there is no room around the panel for the shadows.
        GlassPanel::paintGlass(p, panel, cornerRadius, scheme, !m_inside);
    }

private:
    QPointer<QWidget> m_inspector;
    bool m_inside;
};

// Covers the content in the panel's material while a new tab fades in.
class InspectorVeil final : public QWidget {
public:
    explicit InspectorVeil(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void setOpacity(qreal opacity)
    {
        m_opacity = opacity;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QColor fill = Theme::materialFill(Theme::colorScheme(this));
        fill.setAlphaF(1.0f);
        QPainter p(this);
        p.setOpacity(m_opacity);
        p.fillRect(rect(), fill);
    }

private:
    qreal m_opacity = 0.0;
};

namespace {
constexpr int kTabAnimationMs = 220;
// Menu entries show one line of a name, and never more than this much of it.
constexpr qreal kMenuTextWidth = 320;

InspectorChip::Look plusLook()
{
    InspectorChip::Look look;
    look.symbol = QStringLiteral("plus");
    look.symbolSize = 12;
    look.symbolWeight = QFont::DemiBold;
    look.width = 28;
    return look;
}

// A preset name as a menu entry: one line, elided, with '&' kept literal.
QString menuText(QString name, const QFont& font)
{
    name.replace(QLatin1Char('\n'), QLatin1Char(' '));
    name.replace(QLatin1Char('\r'), QLatin1Char(' '));
    name = QFontMetricsF(font).elidedText(name, Qt::ElideRight, kMenuTextWidth);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return name;
}
}

InspectorView::InspectorView(EditorDocument* document, QWidget* parent, InspectorServices services)
    : QWidget(parent)
    , m_document(document)
{
    placeGlass();
    // The canvas passes behind the panel on every pan and zoom frame: its controls are drawn from
    // a kept pixmap until one of them changes.
    GlassPanel::cacheContent(this);
    PresetStore& presets = services.presets ? *services.presets : PresetStore::shared();
    Preferences& prefs = services.preferences ? *services.preferences : Preferences::shared();
    m_inspector = std::make_unique<Inspector>(document, presets, prefs);
    auto toast = services.showFailureToast ? services.showFailureToast
                                           : [](const QString& message) { ::showFailureToast(message); };

    setFixedWidth(panelWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Header: presets menu, plus button, tabs.
    m_header = new QWidget(this);
    auto* header = new QVBoxLayout(m_header);
    header->setContentsMargins(17, 16, 17, 14);
    header->setSpacing(12);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_presetsButton = new InspectorPresetsButton(m_header);
    row->addWidget(m_presetsButton, 1);
    m_plus = new InspectorChip(QString(), plusLook(), m_header);
    m_plus->setToolTip(tr("Save current style as a preset"));
    row->addWidget(m_plus);
    header->addLayout(row);
    m_tabs = new LumaSegmented(m_header);
    m_tabs->setOptions(QList<LumaSegmented::Option> { { int(Tab::style), tr("Style") },
        { int(Tab::background), tr("Background") } });
    m_tabs->setSelection(int(Tab::style));
    header->addWidget(m_tabs);
    layout->addWidget(m_header);
    layout->addWidget(new InspectorHairline(this, false));

    connect(m_presetsButton, &QAbstractButton::clicked, this, &InspectorView::showPresetsMenu);
    connect(m_plus, &QAbstractButton::clicked, this, &InspectorView::showSavePreset);
    connect(m_tabs, &LumaSegmented::activated, this, [this](const QVariant& value) { setActiveTab(Tab(value.toInt())); });

    // Content.
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->viewport()->setAutoFillBackground(false);
    // A slim overlay-like bar that suits both schemes.
    m_scroll->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { width: 7px; background: transparent; margin: 2px 1px 2px 0; }"
        "QScrollBar::handle:vertical { background: rgba(128, 128, 128, 0.5); border-radius: 3px; min-height: 28px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    m_content = new QWidget;
    m_content->setAutoFillBackground(false);
    auto* content = new QVBoxLayout(m_content);
    content->setContentsMargins(17 - InspectorLayout::bleed(), 16, 17 - InspectorLayout::bleed(), 18);
    content->setSpacing(0);

    m_stylePage = new QWidget(m_content);
    auto* style = new QVBoxLayout(m_stylePage);
    style->setContentsMargins(0, 0, 0, 0);
    style->setSpacing(15);
    Inspector& inspector = *m_inspector;
    m_style = new InspectorStyleSection(inspector, m_stylePage);
    m_image = new InspectorImageSection(inspector, m_stylePage);
    m_frame = new InspectorFrameSection(inspector, m_stylePage);
    m_aspect = new InspectorAspectSection(inspector, m_stylePage);
    m_redaction = new InspectorRedactionSection(inspector, m_stylePage);
    m_redactionHairline = new InspectorHairline(m_stylePage);
    m_watermark = new InspectorWatermarkSection(inspector, services.pickLogo, toast, m_stylePage);
    for (QWidget* item : { static_cast<QWidget*>(m_style), static_cast<QWidget*>(new InspectorHairline(m_stylePage)),
             static_cast<QWidget*>(m_image), static_cast<QWidget*>(new InspectorHairline(m_stylePage)),
             static_cast<QWidget*>(m_frame), static_cast<QWidget*>(new InspectorHairline(m_stylePage)),
             static_cast<QWidget*>(m_aspect), static_cast<QWidget*>(new InspectorHairline(m_stylePage)),
             static_cast<QWidget*>(m_redaction), m_redactionHairline, static_cast<QWidget*>(m_watermark) })
        style->addWidget(item);
    content->addWidget(m_stylePage);

    m_backgroundPage = new QWidget(m_content);
    auto* background = new QVBoxLayout(m_backgroundPage);
    background->setContentsMargins(0, 0, 0, 0);
    background->setSpacing(15);
    m_background = new InspectorBackgroundSection(inspector, m_backgroundPage);
    background->addWidget(m_background);
    m_backgroundPage->hide();
    content->addWidget(m_backgroundPage);
    content->addStretch(1);

    m_scroll->setWidget(m_content);
    // The scroll area does not pass its content's size on: tell the host when it changes.
    m_content->installEventFilter(this);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
    layout->addWidget(m_scroll, 1);

    m_veil = new InspectorVeil(this);
    m_veil->hide();
    m_fade = new QVariantAnimation(this);
    m_fade->setDuration(kTabAnimationMs);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    m_fade->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_veil->setOpacity(value.toReal());
    });
    connect(m_fade, &QVariantAnimation::finished, m_veil, &QWidget::hide);

    connect(&presets, &PresetStore::presetsChanged, this, &InspectorView::refreshTitle);
    if (m_document) {
        connect(m_document, &EditorDocument::settingsChanged, this, &InspectorView::refreshTitle);
        connect(m_document, &EditorDocument::selectedPresetNameChanged, this, &InspectorView::refreshTitle);
        connect(m_document, &EditorDocument::redactionCountsChanged, this, &InspectorView::refreshRedactionVisibility);
        connect(m_document, &EditorDocument::manualRedactionsChanged, this, &InspectorView::refreshRedactionVisibility);
        connect(m_document, &EditorDocument::scanFailedChanged, this, &InspectorView::refreshRedactionVisibility);
        connect(m_document, &EditorDocument::toolChanged, this, &InspectorView::toolDidChange);
        connect(m_document, &EditorDocument::selectedAnnotationChanged, this, &InspectorView::selectionDidChange);
        connect(m_document, &EditorDocument::annotationsChanged, this, &InspectorView::selectionDidChange);
        m_hadSelection = m_document->selectedAnnotationValue().has_value();
    }
    refreshTitle();
    refreshRedactionVisibility();
}

InspectorView::~InspectorView()
{
    if (m_glass && m_glass->parentWidget() != this)
        delete m_glass;
}

void InspectorView::placeGlass()
{
    QWidget* host = parentWidget() ? parentWidget() : this;
    if (m_glass && m_glass->parentWidget() != host)
        delete m_glass;
    if (!m_glass)
        m_glass = new InspectorGlass(host, this);
    auto* glass = static_cast<InspectorGlass*>(m_glass.data());
    if (host == this) {
        glass->setGeometry(rect());
        glass->lower();
    } else {
        const int m = glass->margin();
        glass->setGeometry(geometry().adjusted(-m, -m, m, m));
        glass->stackUnder(this);
    }
    glass->setVisible(host == this || isVisible());
}

bool InspectorView::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::ZOrderChange)
        placeGlass();
    else if (event->type() == QEvent::DynamicPropertyChange && m_glass) // a colour scheme forced on us
        m_glass->update();
    return handled;
}

bool InspectorView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_content && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QWidget::eventFilter(watched, event);
}

void InspectorView::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    placeGlass();
}

void InspectorView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeGlass();
}

void InspectorView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    placeGlass();
}

void InspectorView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_glass && m_glass->parentWidget() != this)
        m_glass->hide();
}

void InspectorView::setMaxHeight(int height)
{
    m_maxHeight = std::max(0, height);
    setMaximumHeight(m_maxHeight);
    updateGeometry();
}

QSize InspectorView::sizeHint() const
{
    // Measured as narrow as with the scroll bar, which is how the scroll area tries it first:
    // what fits there never shows the bar.
    const int contentWidth = panelWidth - m_scroll->verticalScrollBar()->sizeHint().width();
    QLayout* content = m_content->layout();
    // Before the panel is first shown its layouts never ran, so the sizes they cached for the
    // sections still count controls hidden since: drop those caches before measuring. (Once
    // shown, Qt keeps them current; doing this then would only request layouts in a loop.)
    if (!isVisible()) {
        for (QWidget* child : m_content->findChildren<QWidget*>())
            child->updateGeometry();
    }
    const int contentHeight = content->hasHeightForWidth() ? content->heightForWidth(contentWidth)
                                                           : content->sizeHint().height();
    const int natural = m_header->sizeHint().height() + 1 + contentHeight;
    return QSize(panelWidth, std::min(natural, m_maxHeight));
}

void InspectorView::setActiveTab(Tab tab)
{
    {
        const QSignalBlocker blocker(m_tabs);
        m_tabs->setSelection(int(tab));
    }
    if (tab == m_activeTab)
        return;
    m_activeTab = tab;
    m_stylePage->setVisible(tab == Tab::style);
    m_backgroundPage->setVisible(tab == Tab::background);
    m_scroll->verticalScrollBar()->setValue(0);
    fadeIn();
    updateGeometry();
}

void InspectorView::fadeIn()
{
    // The new tab's content rises out of the panel's material over the tab change's 0.22 s
    // ease-in-out. A veil painted over it does this without a graphics effect, which would
    // nest inside the panel's own shadow effect.
    m_veil->setGeometry(m_scroll->geometry());
    m_veil->raise();
    m_veil->show();
    m_fade->stop();
    m_fade->start();
}

void InspectorView::toolDidChange()
{
    if (!m_document)
        return;
    const AnnotationTool tool = m_document->tool();
    if (tool != AnnotationTool::select && tool != AnnotationTool::crop && m_activeTab == Tab::background)
        setActiveTab(Tab::style);
}

void InspectorView::selectionDidChange()
{
    if (!m_document)
        return;
    const bool selected = m_document->selectedAnnotationValue().has_value();
    if (selected == m_hadSelection)
        return;
    m_hadSelection = selected;
    if (selected && m_activeTab == Tab::background)
        setActiveTab(Tab::style);
}

void InspectorView::refreshTitle()
{
    // Every slider step lands here: repaint the label only when its text changes.
    const QString title = m_inspector->presetsMenuTitle();
    if (title != m_presetsButton->text())
        m_presetsButton->setText(title);
}

void InspectorView::refreshRedactionVisibility()
{
    const bool shown = m_inspector->showsRedactionSection();
    m_redaction->setVisible(shown);
    m_redactionHairline->setVisible(shown);
}

QMenu* InspectorView::buildPresetsMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    // Hundreds of presets scroll instead of spreading into columns across the screen.
    menu->setStyleSheet(QStringLiteral("QMenu { menu-scrollable: 1; }"));
    const QList<StylePreset>& presets = m_inspector->presets().presets();
    if (presets.isEmpty()) {
        menu->addAction(tr("No saved presets"))->setEnabled(false);
    } else {
        for (const StylePreset& preset : presets) {
            QAction* action = menu->addAction(menuText(preset.name, menu->font()));
            connect(action, &QAction::triggered, this, [this, preset] { m_inspector->applyPreset(preset); });
        }
        menu->addSeparator();
    }
    connect(menu->addAction(tr("Save current style…")), &QAction::triggered, this, &InspectorView::showSavePreset);
    return menu;
}

void InspectorView::showPresetsMenu()
{
    if (m_openMenu)
        m_openMenu->close();
    QMenu* menu = buildPresetsMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_openMenu = menu;
    menu->popup(m_presetsButton->mapToGlobal(QPoint(0, m_presetsButton->height() + 4)));
}

void InspectorView::showSavePreset()
{
    if (!m_saveDialog) {
        m_saveDialog = new SavePresetDialog(this);
        m_saveDialog->setWindowModality(Qt::WindowModal);
        connect(m_saveDialog->nameField(), &QLineEdit::textEdited, this,
            [this](const QString& text) { m_newPresetName = text; });
        connect(m_saveDialog, &QDialog::accepted, this, &InspectorView::savePreset);
        connect(m_saveDialog, &QDialog::rejected, this, &InspectorView::cancelSavePreset);
    }
    m_saveDialog->nameField()->setText(m_newPresetName);
    m_saveDialog->nameField()->setFocus();
    m_saveDialog->open();
}

void InspectorView::savePreset()
{
    m_inspector->savePreset(m_newPresetName);
    m_newPresetName.clear();
    if (m_saveDialog && m_saveDialog->isVisible())
        m_saveDialog->hide();
}

void InspectorView::cancelSavePreset()
{
    m_newPresetName.clear();
    if (m_saveDialog && m_saveDialog->isVisible())
        m_saveDialog->hide();
}
