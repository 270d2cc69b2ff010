#include "app/ReplacePrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
// The window "main", shown: the question stands over the edits it is about.
QWidget* mainWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("main") && window->isVisible())
            return window;
    }
    return nullptr;
}

bool askToLoseEdits(const QString& name, const QString& text, const QString& action, Qt::WindowModality modality)
{
    QMessageBox box(mainWindow());
    box.setObjectName(name);
    box.setWindowTitle(QStringLiteral("Lumaforge"));
    box.setIcon(QMessageBox::Warning);
    box.setText(text);
    QPushButton* confirm = box.addButton(action, QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(confirm);
    box.setEscapeButton(cancel);
    box.setWindowModality(box.parentWidget() ? modality : Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == confirm;
}
}

bool askToReplaceEditedShot()
{
    return askToLoseEdits(QStringLiteral("replaceEditedShot"),
        QObject::tr("Replace the current screenshot? Your edits will be lost."), QObject::tr("Replace"), Qt::WindowModal);
}

bool askToQuitWithEdits()
{
    return askToLoseEdits(QStringLiteral("quitWithEdits"), QObject::tr("Quit Lumaforge? Your edits will be lost."),
        QObject::tr("Quit"), Qt::ApplicationModal);
}
