#include "editor_window/InspectorBackgroundSection.h"

#include "editor_window/BackgroundSwatchGrid.h"
#include "editor_window/InspectorLayout.h"
#include "editor_window/InspectorLabel.h"

#include <QVBoxLayout>

InspectorBackgroundSection::InspectorBackgroundSection(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = InspectorLayout::sectionLayout(this, 9);
    layout->addWidget(InspectorLabel::sectionTitle(tr("Background"), this));
    m_grid = new BackgroundSwatchGrid(inspector, this);
    layout->addWidget(m_grid);
}
