#include "inspector/SavePresetDialog.h"

#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SavePresetDialog::SavePresetDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Save preset"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(10);

    auto* title = new QLabel(tr("Save preset"), this);
    title->setFont(Theme::font(13, QFont::Bold));
    layout->addWidget(title);
    auto* message = new QLabel(tr("Save the current style so you can reuse it with one click."), this);
    message->setWordWrap(true);
    message->setFont(Theme::font(11.5));
    layout->addWidget(message);

    m_name = new QLineEdit(this);
    m_name->setPlaceholderText(tr("Preset name"));
    layout->addWidget(m_name);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_save = new QPushButton(tr("Save"), this);
    m_save->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_save);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(300);
}
