#pragma once

#include "editor/EditorDocumentTestKit.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "inspector/InspectorView.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "ui/LumaSegmented.h"
#include "ui/LumaSlider.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <memory>

// One inspector over one document, with its own presets and preferences, a file picker that
// waits for the test to choose, and a failure toast that records its messages.
struct InspectorKit : ::testing::Test {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;
    PresetStore presets { settings };
    std::unique_ptr<Preferences> prefs;
    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc;
    QStringList toasts;
    int pickerOpens = 0;
    std::function<void(const QString&)> pendingChoice;
    std::unique_ptr<InspectorView> view;

    InspectorKit()
    {
        prefs = std::make_unique<Preferences>(settings, loginItem, screenshotSettings, logoPath());
        QThreadPool::globalInstance()->waitForDone();
    }

    ~InspectorKit() override
    {
        view.reset();
        doc.reset();
        QThreadPool::globalInstance()->waitForDone();
        prefs->waitForFileWrites();
    }

    QString logoPath() const { return dir.path() + QStringLiteral("/app/watermark-logo.png"); }

    InspectorServices services()
    {
        InspectorServices s;
        s.presets = &presets;
        s.preferences = prefs.get();
        s.pickLogo = [this](QWidget*, std::function<void(const QString&)> chosen) {
            ++pickerOpens;
            pendingChoice = std::move(chosen);
        };
        s.showFailureToast = [this](const QString& message) { toasts.append(message); };
        return s;
    }

    InspectorView& open(const BeautifySettings& style = BeautifySettings::defaults(),
        std::optional<DetectionResult> detections = DetectionResult {})
    {
        view.reset();
        doc = makeDocument(scan, std::move(detections), style);
        view = std::make_unique<InspectorView>(doc.get(), nullptr, services());
        view->resize(InspectorView::panelWidth, 900);
        view->show();
        QCoreApplication::processEvents();
        return *view;
    }

    BeautifySettings style() const { return doc->settings(); }

    static void click(QWidget* widget)
    {
        ASSERT_NE(widget, nullptr);
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }

    static void clickSegment(LumaSegmented* control, int index)
    {
        QTest::mouseClick(control, Qt::LeftButton, {}, control->segmentRect(index).center().toPoint());
    }

    static QPoint trackPoint(LumaSlider* slider, double fraction)
    {
        const QRectF track = slider->trackRect();
        return QPointF(track.left() + track.width() * fraction, track.center().y()).toPoint();
    }

    // Press, several moves, release: one drag as a person makes it.
    static void drag(LumaSlider* slider, double from, double to, int steps = 8)
    {
        QTest::mousePress(slider, Qt::LeftButton, {}, trackPoint(slider, from));
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(slider, trackPoint(slider, from + (to - from) * i / steps));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, trackPoint(slider, to));
    }
};
