#include "inspector/InspectorRedactionSection.h"

#include "editor/EditorDocument.h"
#include "inspector/Inspector.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"
#include "ui/LumaSlider.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
const char* styleSymbol(RedactStyle style)
{
    switch (style) {
    case RedactStyle::blur: return "drop.fill";
    case RedactStyle::pixelate: return "squareshape.split.3x3";
    case RedactStyle::block: return "rectangle.fill";
    }
    return "";
}

InspectorChip::Look styleLook(RedactStyle style)
{
    InspectorChip::Look look;
    look.symbol = QString::fromLatin1(styleSymbol(style));
    look.symbolSize = 9;
    look.titleSize = 10.5;
    look.spacing = 4;
    look.height = 26;
    look.radius = 7;
    return look;
}
}

InspectorRedactionSection::InspectorRedactionSection(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
    , m_inspector(inspector)
{
    auto* layout = InspectorLayout::sectionLayout(this, 9);
    layout->addWidget(InspectorLabel::sectionTitle(tr("Hide sensitive info"), this));

    m_failure = new InspectorLabel(tr("Text check failed"), 11, QFont::Medium, InspectorLabel::Role::warning, this);
    m_failure->setSymbol(QStringLiteral("exclamationmark.triangle.fill"), 10, 5);
    m_failure->hide(); // until a scan fails
    layout->addWidget(m_failure);

    m_rowsBox = new QWidget(this);
    auto* rows = new QVBoxLayout(m_rowsBox);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(9);
    m_rowsBox->hide(); // until a kind is found
    layout->addWidget(m_rowsBox);

    m_styleControls = new QWidget(this);
    auto* controls = new QVBoxLayout(m_styleControls);
    // The box spans the section's inset so its slider can; the buttons keep to the inset.
    controls->setContentsMargins(InspectorLayout::bleed(), 0, InspectorLayout::bleed(), 0);
    controls->setSpacing(8);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(6);
    for (RedactStyle style : allCases<RedactStyle>) {
        auto* button = new InspectorChip(Inspector::redactStyleCaption(style), styleLook(style), m_styleControls);
        buttons->addWidget(button, 1);
        connect(button, &InspectorChip::clicked, this, [this, style] { m_inspector.selectRedactStyle(style); });
        m_styleButtons.append(button);
    }
    controls->addLayout(buttons);
    m_intensity = new LumaSlider(tr("Intensity"), m_styleControls);
    m_intensity->setRange(0, 1);
    m_intensity->setFormat(&Inspector::hundredthsText);
    m_intensity->setOnBegin([this] { m_inspector.beginSliderDrag(); });
    if (EditorDocument* doc = m_inspector.document())
        connect(doc, &EditorDocument::historyChanged, m_intensity, &LumaSlider::restartStep);
    connect(m_intensity, &LumaSlider::valueChanged, this, [this](double value) { m_inspector.setRedactIntensity(value); });
    InspectorLayout::addFullWidth(controls, m_intensity);
    InspectorLayout::addFullWidth(layout, m_styleControls);

    m_note = InspectorLabel::caption(QString(), this);
    m_note->setSymbol(QStringLiteral("drop.fill"), 9, 5);
    layout->addWidget(m_note);

    if (EditorDocument* doc = m_inspector.document()) {
        connect(doc, &EditorDocument::settingsChanged, this, &InspectorRedactionSection::refresh);
        connect(doc, &EditorDocument::redactionCountsChanged, this, &InspectorRedactionSection::refresh);
        connect(doc, &EditorDocument::manualRedactionsChanged, this, &InspectorRedactionSection::refresh);
        connect(doc, &EditorDocument::scanFailedChanged, this, &InspectorRedactionSection::refresh);
    }
    refresh();
}

InspectorCheckbox* InspectorRedactionSection::row(RedactionKind kind) const
{
    const qsizetype index = m_rowKinds.indexOf(kind);
    return index < 0 ? nullptr : m_rows[index];
}

void InspectorRedactionSection::rebuildRows(const QList<RedactionKind>& kinds)
{
    qDeleteAll(m_rows);
    m_rows.clear();
    m_rowKinds = kinds;
    for (RedactionKind kind : kinds) {
        auto* row = new InspectorCheckbox(Inspector::redactionKindLabel(kind), 13, m_rowsBox);
        row->setSpacing(10);
        row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_rowsBox->layout()->addWidget(row);
        connect(row, &InspectorCheckbox::clicked, this, [this, kind] { m_inspector.toggleRedactionKind(kind); });
        m_rows.append(row);
    }
    m_rowsBox->setVisible(!kinds.isEmpty());
}

void InspectorRedactionSection::refresh()
{
    const EditorDocument* doc = m_inspector.document();
    if (!doc)
        return;
    m_failure->setVisible(doc->scanFailed());
    const QList<RedactionKind> kinds = m_inspector.listedKinds();
    if (kinds != m_rowKinds || m_rows.isEmpty() != kinds.isEmpty())
        rebuildRows(kinds);
    const BeautifySettings s = doc->settings();
    const auto counts = doc->redactionCounts();
    for (int i = 0; i < m_rows.size(); ++i) {
        const RedactionKind kind = m_rowKinds[i];
        m_rows[i]->setOn(s.redactKinds.count(kind) > 0);
        const auto it = counts.find(kind);
        m_rows[i]->setTrailingText(QString::number(it == counts.end() ? 0 : it->second));
    }

    m_styleControls->setVisible(m_inspector.showsRedactionStyleControls());
    for (int i = 0; i < m_styleButtons.size(); ++i)
        m_styleButtons[i]->setSelected(allCases<RedactStyle>[i] == s.redactStyle);
    m_intensity->setVisible(s.redactStyle != RedactStyle::block);
    {
        const QSignalBlocker blocker(m_intensity);
        m_intensity->setValue(s.redactIntensity);
    }
    const QString note = Inspector::manualRedactionNote(doc->manualRedactions().size());
    if (note != m_note->text()) {
        m_note->setText(note);
        m_note->updateGeometry();
    }
}
