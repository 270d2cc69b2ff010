#include "inspector/InspectorImageSection.h"

#include "editor/EditorDocument.h"
#include "inspector/Inspector.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"
#include "platform/PlatformTexts.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
InspectorChip::Look flipLook(const char* symbol)
{
    InspectorChip::Look look;
    look.symbol = QString::fromLatin1(symbol);
    return look;
}
}

InspectorImageSection::InspectorImageSection(Inspector& inspector, QWidget* parent)
    : QWidget(parent)
    , m_inspector(inspector)
{
    auto* layout = InspectorLayout::sectionLayout(this, 9);
    layout->addWidget(InspectorLabel::sectionTitle(tr("Image"), this));

    m_removeBackground = new InspectorCheckbox(tr("Remove background"), 13, this);
    m_removeBackground->setSymbol(QStringLiteral("person.crop.rectangle"), 11);
    m_removeBackground->setToolTip(platformText("Cut out the subject on-device with Apple Vision — nothing leaves your Mac"));
    layout->addWidget(m_removeBackground);
    connect(m_removeBackground, &InspectorCheckbox::clicked, this,
        [this] { m_inspector.setRemoveBackground(!m_removeBackground->isOn()); });

    layout->addWidget(InspectorLabel::caption(platformText("On-device · powered by Apple Vision"), this));

    auto* flips = new QHBoxLayout;
    flips->setContentsMargins(0, 0, 0, 0);
    flips->setSpacing(6);
    m_flipH = new InspectorChip(tr("Flip H"), flipLook("arrow.left.and.right.righttriangle.left.righttriangle.right"), this);
    m_flipV = new InspectorChip(tr("Flip V"), flipLook("arrow.up.and.down.righttriangle.up.righttriangle.down"), this);
    flips->addWidget(m_flipH, 1);
    flips->addWidget(m_flipV, 1);
    layout->addLayout(flips);
    connect(m_flipH, &InspectorChip::clicked, this, [this] { m_inspector.toggleFlipH(); });
    connect(m_flipV, &InspectorChip::clicked, this, [this] { m_inspector.toggleFlipV(); });

    m_croppedLine = new QWidget(this);
    auto* cropped = new QHBoxLayout(m_croppedLine);
    cropped->setContentsMargins(0, 0, 0, 0);
    cropped->setSpacing(6);
    auto* croppedLabel = new InspectorLabel(tr("Cropped"), 11.5, QFont::Normal, InspectorLabel::Role::secondary, m_croppedLine);
    croppedLabel->setSymbol(QStringLiteral("crop"), 10, 6);
    cropped->addWidget(croppedLabel);
    cropped->addStretch(1);
    m_resetCrop = new InspectorChip(tr("Reset"), InspectorChip::textLook(11.5, QFont::Medium, InspectorChip::Ink::accent),
        m_croppedLine);
    cropped->addWidget(m_resetCrop);
    layout->addWidget(m_croppedLine);
    connect(m_resetCrop, &InspectorChip::clicked, this, [this] { m_inspector.resetCrop(); });

    m_cropHint = InspectorLabel::caption(tr("Use the Crop tool in the toolbar to trim the shot."), this);
    layout->addWidget(m_cropHint);

    if (EditorDocument* doc = m_inspector.document())
        connect(doc, &EditorDocument::settingsChanged, this, &InspectorImageSection::refresh);
    refresh();
}

void InspectorImageSection::refresh()
{
    const EditorDocument* doc = m_inspector.document();
    if (!doc)
        return;
    const BeautifySettings s = doc->settings();
    m_removeBackground->setOn(s.removeBackground);
    m_flipH->setSelected(s.flipH);
    m_flipV->setSelected(s.flipV);
    const bool cropped = Inspector::isCropped(s);
    m_croppedLine->setVisible(cropped);
    m_cropHint->setVisible(!cropped);
}
