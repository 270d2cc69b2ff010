#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// Answers a question (the replace question unless told otherwise) with a key as soon as it is
// shown, and remembers what it said. `beforeAnswer` runs while the question stands.
struct QuestionAnswerer {
    Qt::Key key = Qt::Key_Return;
    QString question = QStringLiteral("replaceEditedShot");
    std::function<void()> beforeAnswer;
    int asked = 0;
    QString text;
    QString defaultButton;
    QTimer poll;

    QuestionAnswerer()
    {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->objectName() != question || !box->isVisible() || box->property("answering").toBool())
                return;
            box->setProperty("answering", true);
            ++asked;
            text = box->text();
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            const Qt::Key answerNow = key;
            if (auto before = std::exchange(beforeAnswer, nullptr))
                before();
            QTest::keyClick(box, answerNow);
        });
        poll.start();
    }
};
