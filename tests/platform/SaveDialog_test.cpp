#include "platform/SaveDialog.h"

#include "support/Wait.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QFileDialog* openDialog()
{
    QFileDialog* found = nullptr;
    waitUntil([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
                found = d;
        return found != nullptr;
    }, 3000);
    return found;
}
}

// Without a desktop portal the application's own dialog asks, without blocking the caller.
TEST(SaveDialog, OffersOnlyTheFormatAndAddsItsSuffix)
{
    QTemporaryDir dir;
    std::optional<std::optional<QString>> answer;
    askSavePath(nullptr, { QStringLiteral("Export"), QStringLiteral("Lumaforge 2026-01-02 at 10.11.12.png"),
                             QStringLiteral("PNG image"), QStringLiteral("*.png") },
        [&](std::optional<QString> path) { answer = path; });
    EXPECT_FALSE(answer); // returned before the user chose
    QFileDialog* dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->nameFilters(), QStringList { QStringLiteral("PNG image (*.png)") });
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    dialog->setDirectory(dir.path());
    dialog->selectFile(dir.filePath(QStringLiteral("typed name")));
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    ASSERT_TRUE(answer->has_value());
    EXPECT_EQ(**answer, dir.filePath(QStringLiteral("typed name.png")));

    answer.reset();
    askSavePath(nullptr, { QStringLiteral("Export"), QStringLiteral("a.png"), QStringLiteral("PNG image"),
                             QStringLiteral("*.png") },
        [&](std::optional<QString> path) { answer = path; });
    dialog = openDialog();
    ASSERT_TRUE(dialog);
    dialog->reject();
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(answer->has_value());
}
