#include "inspector/InspectorAspectSection.h"

#include "editor/EditorDocument.h"
#include "inspector/Inspector.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"
#include "ui/LumaSegmented.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
constexpr AspectRatioOption kRatios[] = { AspectRatioOption::automatic, AspectRatioOption::r16_9, AspectRatioOption::r4_3,
    AspectRatioOption::r3_2, AspectRatioOption::r1_1, AspectRatioOption::r9_16 };
constexpr AspectRatioOption kFormats[] = { AspectRatioOption::x, AspectRatioOption::facebook, AspectRatioOption::instagram,
    AspectRatioOption::linkedin, AspectRatioOption::youtube, AspectRatioOption::pinterest, AspectRatioOption::reddit,
    AspectRatioOption::snapchat };

InspectorChip::Look formatLook()
{
    InspectorChip::Look look;
    look.titleSize = 10.5;
    look.selectedTitleWeight = QFont::Normal;
    look.height = 26;
    look.radius = 7;
    look.idleFill = InspectorChip::Fill::none;
    look.selectedFill = InspectorChip::Fill::accentGradient;
    look.selectedBorder = false;
    look.dimIdleBorder = true;
    look.idleInk = InspectorChip::Ink::sectionTitle;
    look.minimumScale = 0.8;
    return look;
}
}

InspectorAspectSection::InspectorAspectSection(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
    , m_inspector(inspector)
{
    auto* layout = InspectorLayout::sectionLayout(this, 9);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(InspectorLabel::sectionTitle(tr("Aspect & size"), this));
    header->addStretch(1);
    m_balance = new InspectorCheckbox(tr("Balance"), 11.5, this);
    m_balance->setSpacing(6);
    m_balance->setToolTip(tr("Center the screenshot within the chosen ratio"));
    header->addWidget(m_balance);
    layout->addLayout(header);
    connect(m_balance, &InspectorCheckbox::clicked, this, [this] { m_inspector.setBalance(!m_balance->isOn()); });

    m_ratio = new LumaSegmented(this);
    QList<LumaSegmented::Option> options;
    for (AspectRatioOption ratio : kRatios)
        options.append({ int(ratio), rawValue(ratio) });
    m_ratio->setOptions(options);
    layout->addWidget(m_ratio);
    connect(m_ratio, &LumaSegmented::activated, this,
        [this](const QVariant& value) { m_inspector.setAspect(AspectRatioOption(value.toInt())); });

    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    int index = 0;
    for (AspectRatioOption format : kFormats) {
        auto* chip = new InspectorChip(rawValue(format), formatLook(), this);
        chip->setMinimumWidth(10);
        grid->addWidget(chip, index / 4, index % 4);
        connect(chip, &InspectorChip::clicked, this, [this, format] { m_inspector.setAspect(format); });
        m_chips.append(chip);
        ++index;
    }
    for (int column = 0; column < 4; ++column)
        grid->setColumnStretch(column, 1);
    layout->addLayout(grid);

    if (EditorDocument* doc = m_inspector.document())
        connect(doc, &EditorDocument::settingsChanged, this, &InspectorAspectSection::refresh);
    refresh();
}

void InspectorAspectSection::refresh()
{
    const EditorDocument* doc = m_inspector.document();
    if (!doc)
        return;
    const BeautifySettings s = doc->settings();
    m_balance->setOn(s.balance);
    {
        // A format is none of the ratio options, so no segment shows as selected.
        const QSignalBlocker blocker(m_ratio);
        m_ratio->setSelection(int(s.aspect));
    }
    for (int i = 0; i < m_chips.size(); ++i)
        m_chips[i]->setSelected(kFormats[i] == s.aspect);
}
