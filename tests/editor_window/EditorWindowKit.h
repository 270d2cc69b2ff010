#pragma once

#include "editor/AnnotationEditingLayer.h"
#include "editor/DocumentRender.h"
#include "editor/EditorDocumentTestKit.h"
#include "editor_window/EditorView.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "fakes/FakeSettingsStore.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "model/WatermarkConfig.h"

#include <QApplication>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QWheelEvent>
#include <gtest/gtest.h>

// The editor window as the application assembles it (the real editing layer over the canvas, the
// inspector with its scroll area, the action pill) over a 400 x 300 shot, shown and active, with
// its outside calls counted. Input arrives as the window system delivers it: mouse events through
// the window (which picks the widget, keeps the pressed one, hands it to an open menu), keys to
// the focus widget through the window's shortcuts, wheel events to the widget under the point and
// on to its parents while unused.
struct EditorWindowKit : ::testing::Test {
    QTemporaryDir dir;
    FakeSettingsStore settings;
    FakeLoginItem loginItem;
    FakeScreenshotSettings screenshotSettings;
    PresetStore presets { settings };
    std::unique_ptr<Preferences> prefs;
    FakeSensitiveTextScan scan;
    std::shared_ptr<EditorDocument> doc;
    std::unique_ptr<EditorView> view;
    QStringList toasts;
    QStringList failureToasts;
    int copies = 0;
    // With keepCopies, each copy renders the document as the application's copy does, into copied.
    bool keepCopies = false;
    QImage copied;
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

    void TearDown() override
    {
        // A test that ends mid-press lets go, or the next would start with the button held.
        if (view && QTestPrivate::qtestMouseButtons != Qt::NoButton) {
            view->show();
            for (const Qt::MouseButton b : { Qt::LeftButton, Qt::MiddleButton, Qt::RightButton })
                if (QTestPrivate::qtestMouseButtons & b)
                    release(QPoint(1, 1), b);
        }
        view.reset();
        QThreadPool::globalInstance()->waitForDone();
        prefs->waitForFileWrites();
    }

    void makeView(QSize size = { 1200, 800 })
    {
        EditorView::Hooks hooks;
        hooks.copy = [this] {
            ++copies;
            if (keepCopies)
                copied = renderDocumentImage(*doc, currentWatermarkConfig(*prefs));
        };
        hooks.copyAndClose = [this] {
            ++copyAndCloses;
            return true;
        };
        hooks.openSettings = [this] { ++settingsOpens; };
        hooks.toast = [this](const QString& message) { toasts.append(message); };
        hooks.failureToast = [this](const QString& message) { failureToasts.append(message); };
        hooks.inspectorServices.presets = &presets;
        hooks.inspectorServices.pickLogo = [](QWidget*, std::function<void(const QString&)>) {};
        view = std::make_unique<EditorView>(doc, *prefs, hooks);
        view->resize(size);
        view->show();
        QApplication::setActiveWindow(view.get());
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(view.get());
        view->stage()->finishAnimations();
        QCoreApplication::processEvents();
    }

    CanvasStage* stage() const { return view->stage(); }
    AnnotationEditingLayer* layer() const { return view->stage()->editingLayer(); }

    // ---- where things are, in the view's points -----------------------------------------------

    // A point on the stage's background, well away from the canvas and the panels.
    QPoint backgroundPoint() const
    {
        const QRectF canvas = view->stage()->shownRect();
        return stage()->mapTo(view.get(), QPoint(int(canvas.right()) + 8, int(canvas.center().y())));
    }
    // A canvas-normalised point.
    QPoint canvasPoint(QPointF norm) const
    {
        const QRectF canvas = view->stage()->shownRect();
        const QPointF p(canvas.left() + norm.x() * canvas.width(), canvas.top() + norm.y() * canvas.height());
        return stage()->mapTo(view.get(), p.toPoint());
    }
    // An image-normalised point (the shot below its title bar).
    QPoint imagePoint(QPointF norm) const
    {
        const QRectF i = view->stage()->targetLayout().imageRectNorm;
        return canvasPoint({ i.left() + norm.x() * i.width(), i.top() + norm.y() * i.height() });
    }
    QPoint centreOf(const QWidget* widget) const { return widget->mapTo(view.get(), widget->rect().center()); }

    // The widget under `at`, where the window system delivers a mouse or wheel event.
    QWidget* widgetAt(QPoint at) const
    {
        QWidget* w = view->childAt(at);
        return w ? w : view.get();
    }

    // ---- the pointer, through the window as the window system sends it ------------------------

    QWindow* window() const { return view->windowHandle(); }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mousePress(window(), button, {}, at); }
    void moveTo(QPoint at) { QTest::mouseMove(window(), at); }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mouseRelease(window(), button, {}, at); }
    void click(QPoint at) { QTest::mouseClick(window(), Qt::LeftButton, {}, at); }
    // Pressed at `from`, moved in steps, released at `to`.
    void drag(QPoint from, QPoint to, int steps = 4)
    {
        press(from);
        for (int i = 1; i <= steps; ++i)
            moveTo(from + (to - from) * i / steps);
        release(to);
    }
    // Wheel notches (120 each) at `at`, delivered as the window delivers them: to the widget under
    // the point, then on to its parents while unused. Whether some widget took the last one.
    bool wheel(QPoint at, QPoint angle, int times = 1)
    {
        bool taken = false;
        for (int i = 0; i < times; ++i) {
            QWidget* target = widgetAt(at);
            const QPointF local = target->mapFrom(view.get(), QPointF(at));
            QWheelEvent e(local, target->mapToGlobal(local), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&e); // only the window system's wheel events travel on
            taken = qApp->notify(target, &e) && e.isAccepted();
        }
        return taken;
    }

    // ---- the keyboard ----------------------------------------------------------------------------

    QWidget* keyTarget() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : view.get();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(keyTarget(), Qt::Key(key), modifiers); }
    void keyDown(int key) { QTest::keyPress(keyTarget(), Qt::Key(key)); }
    void keyUp(int key) { QTest::keyRelease(keyTarget(), Qt::Key(key)); }
};
