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
}

bool askToReplaceEditedShot()
{
    QMessageBox box(mainWindow());
    box.setObjectName(QStringLiteral("replaceEditedShot"));
    box.setWindowTitle(QStringLiteral("Lumaforge"));
    box.setIcon(QMessageBox::Warning);
    box.setText(QObject::tr("Replace the current screenshot? Your edits will be lost."));
    QPushButton* replace = box.addButton(QObject::tr("Replace"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(replace);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == replace;
}
