#include "inspector/InspectorFrameSection.h"

#include "editor/EditorDocument.h"
#include "inspector/Inspector.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorField.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"
#include "render/CanvasPainter.h"
#include "ui/LumaSegmented.h"

#include <QSignalBlocker>
#include <QVBoxLayout>

InspectorFrameSection::InspectorFrameSection(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
    , m_inspector(inspector)
{
    auto* layout = InspectorLayout::sectionLayout(this, 9);
    layout->addWidget(InspectorLabel::sectionTitle(tr("Window frame"), this));

    m_frame = new LumaSegmented(this);
    m_frame->setOptions(QList<LumaSegmented::Option> {
        { int(WindowFrameStyle::none), tr("None") },
        { int(WindowFrameStyle::light), tr("Light") },
        { int(WindowFrameStyle::dark), tr("Dark") },
    });
    layout->addWidget(m_frame);
    connect(m_frame, &LumaSegmented::activated, this,
        [this](const QVariant& value) { m_inspector.setWindowFrame(WindowFrameStyle(value.toInt())); });

    m_url = new InspectorCheckbox(tr("URL bar"), 13, this);
    m_url->setToolTip(tr("Add a browser-style address bar to the window chrome"));
    layout->addWidget(m_url);
    connect(m_url, &InspectorCheckbox::clicked, this, [this] { m_inspector.setShowURL(!m_url->isOn()); });

    m_field = new InspectorField(placeholderDomain(), this);
    layout->addWidget(m_field);
    // Typed text only: a refresh from the model never writes back.
    connect(m_field, &InspectorField::textEdited, this, [this](const QString& text) { m_inspector.setURLText(text); });

    if (EditorDocument* doc = m_inspector.document())
        connect(doc, &EditorDocument::settingsChanged, this, &InspectorFrameSection::refresh);
    refresh();
}

void InspectorFrameSection::refresh()
{
    const EditorDocument* doc = m_inspector.document();
    if (!doc)
        return;
    const BeautifySettings s = doc->settings();
    {
        const QSignalBlocker blocker(m_frame);
        m_frame->setSelection(int(s.windowFrame));
    }
    const bool framed = s.windowFrame != WindowFrameStyle::none;
    m_url->setVisible(framed);
    m_url->setOn(s.showURL);
    m_field->setVisible(framed && s.showURL);
    m_field->syncText(s.urlText);
}
