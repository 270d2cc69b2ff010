#include "inspector/InspectorStyleSection.h"

#include "editor/EditorDocument.h"
#include "inspector/Inspector.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"
#include "ui/LumaSlider.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

InspectorStyleSection::InspectorStyleSection(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
    , m_inspector(inspector)
{
    auto* layout = InspectorLayout::sectionLayout(this, 14);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(InspectorLabel::sectionTitle(tr("Style"), this));
    header->addStretch(1);
    m_reset = new InspectorChip(tr("Reset"), InspectorChip::textLook(11.5, QFont::Medium, InspectorChip::Ink::accent), this);
    header->addWidget(m_reset);
    layout->addLayout(header);
    connect(m_reset, &InspectorChip::clicked, this, [this] { m_inspector.resetStyle(); });

    const auto slider = [this, layout](const QString& title, double upper, LumaSlider::Format format,
                            void (Inspector::*write)(double)) {
        auto* s = new LumaSlider(title, this);
        s->setRange(0, upper);
        s->setFormat(std::move(format));
        // The inner handlers name the inspector, not `this`: GCC 12 with the address sanitizer
        // miscompiles a `this` captured through two lambda levels next to a member pointer.
        Inspector* inspector = &m_inspector;
        s->setOnBegin([inspector] { inspector->beginSliderDrag(); });
        // Ctrl+Z in the middle of a drag: the rest of the drag is a step of its own.
        if (EditorDocument* doc = inspector->document())
            connect(doc, &EditorDocument::historyChanged, s, &LumaSlider::restartStep);
        connect(s, &LumaSlider::valueChanged, this, [inspector, write](double value) { (inspector->*write)(value); });
        InspectorLayout::addFullWidth(layout, s);
        return s;
    };
    m_padding = slider(tr("Padding"), 40, &Inspector::paddingText, &Inspector::setPadding);
    m_radius = slider(tr("Rounded corners"), 40, &Inspector::radiusText, &Inspector::setRadius);
    m_shadow = slider(tr("Shadow"), 1, &Inspector::hundredthsText, &Inspector::setShadow);

    if (EditorDocument* doc = m_inspector.document())
        connect(doc, &EditorDocument::settingsChanged, this, &InspectorStyleSection::refresh);
    refresh();
}

void InspectorStyleSection::refresh()
{
    const EditorDocument* doc = m_inspector.document();
    if (!doc)
        return;
    const BeautifySettings s = doc->settings();
    for (auto [slider, value] : { std::pair { m_padding, s.padding }, { m_radius, s.radius }, { m_shadow, s.shadow } }) {
        const QSignalBlocker blocker(slider);
        slider->setValue(value);
    }
}
