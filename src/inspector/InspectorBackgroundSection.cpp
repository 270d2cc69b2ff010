#include "inspector/InspectorBackgroundSection.h"

#include "inspector/BackgroundSwatchGrid.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"

#include <QVBoxLayout>

InspectorBackgroundSection::InspectorBackgroundSection(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = InspectorLayout::sectionLayout(this, 9);
    layout->addWidget(InspectorLabel::sectionTitle(tr("Background"), this));
    m_grid = new BackgroundSwatchGrid(inspector, this);
    layout->addWidget(m_grid);
}
