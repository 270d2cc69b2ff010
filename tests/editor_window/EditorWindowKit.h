#pragma once

#include "editor/EditorDocumentTestKit.h"
#include "editor_window/EditorView.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// An editor view over a 400 x 300 shot, shown and active, with its outside calls counted. The
// inspector slot holds a panel with one text field, as the real inspector has.
struct EditorWindowKit : ::testing::Test {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;
    std::unique_ptr<Preferences> prefs;
    FakeSensitiveTextScan scan;
    std::shared_ptr<EditorDocument> doc;
    std::unique_ptr<EditorView> view;
    QLineEdit* inspectorField = nullptr;
    int copies = 0;
    int copyAndCloses = 0;
    int settingsOpens = 0;

    void SetUp() override
    {
        screenshotSettings.folder = dir.path();
        prefs = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, dir.path() + "/logo.png");
        doc = std::shared_ptr<EditorDocument>(makeDocument(scan, DetectionResult {}, BeautifySettings::defaults(),
            flatImage(400, 300, QColor(200, 60, 60))));
        makeView();
    }

    void makeView()
    {
        EditorView::Hooks hooks;
        hooks.copy = [this] { ++copies; };
        hooks.copyAndClose = [this] {
            ++copyAndCloses;
            return true;
        };
        hooks.openSettings = [this] { ++settingsOpens; };
        hooks.inspector = [this](EditorDocument&, QWidget* parent) {
            auto* panel = new QWidget(parent);
            inspectorField = new QLineEdit(panel);
            inspectorField->setGeometry(10, 10, 200, 24);
            return panel;
        };
        view = std::make_unique<EditorView>(doc, *prefs, hooks);
        view->resize(1200, 800);
        view->show();
        QApplication::setActiveWindow(view.get());
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(view.get());
        view->stage()->finishAnimations();
    }

    // A point on the stage's background, well away from the canvas and the panels.
    QPoint backgroundPoint() const
    {
        const QRectF canvas = view->stage()->shownRect();
        return QPoint(int(canvas.right()) + 8, int(canvas.center().y()));
    }
};
