#include "app/MainWindow.h"

#include "app/AppState.h"
#include "app/ApplicationIcon.h"
#include "app/WindowConfigurator.h"
#include "app/WindowDragArea.h"
#include "capture/CaptureManager.h"
#include "editor/EditorDocument.h"
#include "editor_window/EditorView.h"
#include "editor_window/EmptyStateView.h"
#include "onboarding/OnboardingView.h"
#include "platform/PrivacySettings.h"
#include "platform/ScreenshotSettings.h"
#include "platform/SettingsStore.h"
#include "platform/SystemScreenshotTool.h"
#include "ui/Toast.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>

namespace {
const QString kHasCompletedOnboarding = QStringLiteral("hasCompletedOnboarding");
}

MainWindow::MainWindow(AppState& app, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent)
    , m_app(app)
    , m_settings(settings)
    , m_showOnboarding(!settings.boolValue(kHasCompletedOnboarding).value_or(false))
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Lumaforge"));
    setWindowIcon(applicationIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(1300, 840);
    m_stack = new QStackedWidget(this);
    setCentralWidget(m_stack);

    buildMenus();
    connect(&m_app, &AppState::documentChanged, this, &MainWindow::updateContent);
    updateContent();

    QPointer<MainWindow> self(this);
    m_app.setFocusMainWindow([self] {
        if (self)
            self->bringForward();
    });
}

QString MainWindow::currentContent() const
{
    return m_content ? m_content->objectName() : QString();
}

void MainWindow::updateContent()
{
    QWidget* next = nullptr;
    if (m_showOnboarding) {
        if (m_content && m_content->objectName() == QStringLiteral("onboarding"))
            return;
        // Shown once means done: quitting half-way does not show it again next time.
        m_settings.setValue(kHasCompletedOnboarding, true);
        m_app.setOnboardingOnScreen(true);
        next = new OnboardingView([this] { finishOnboarding(); }, m_stack);
    } else if (auto document = m_app.document()) {
        auto* current = qobject_cast<EditorView*>(m_content);
        if (current && current->document() == document)
            return;
        next = new EditorView(document, m_app.prefs(), editorHooks(), m_stack);
    } else {
        if (m_content && m_content->objectName() == QStringLiteral("emptyState"))
            return;
        EmptyStateView::Hooks hooks;
        hooks.paste = [this] { m_app.pasteScreenshot(); };
        hooks.openSettings = [this] { Q_EMIT settingsRequested(); };
        hooks.openPrivacySettings = [this] {
            openPrivacySettings(ScreenshotSettings::shared(), this, [](const QString& message) { showFailureToast(message); });
        };
        hooks.failureToast = [](const QString& message) { showFailureToast(message); };
        next = new EmptyStateView(m_app.capture(), hooks, m_stack);
    }
    m_stack->addWidget(next);
    m_stack->setCurrentWidget(next);
    if (m_content) {
        m_stack->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = next;
}

EditorView::Hooks MainWindow::editorHooks()
{
    EditorView::Hooks hooks;
    hooks.copy = [this] { m_app.copyBeautifiedImage(); };
    hooks.copyAndClose = [this] { return m_app.instantCopyBeautified(); };
    hooks.openSettings = [this] { Q_EMIT settingsRequested(); };
    hooks.toast = [](const QString& message) { showToast(message); };
    hooks.failureToast = [](const QString& message) { showFailureToast(message); };
    hooks.toolbarBackground = [](QWidget* toolbar, int height) {
        new WindowConfigurator(height, toolbar);
        return new WindowDragArea(toolbar);
    };
    return hooks;
}

void MainWindow::zoomThroughEditor(void (EditorDocument::*op)())
{
    auto document = m_app.document();
    if (!document)
        return;
    // Through the stage, which springs to the new zoom (response 0.3 s, damping 0.8).
    if (auto* editor = qobject_cast<EditorView*>(m_content); editor && editor->document() == document)
        editor->stage()->animateZoom([&] { (document.get()->*op)(); });
    else
        (document.get()->*op)();
}

void MainWindow::finishOnboarding()
{
    m_showOnboarding = false;
    m_app.setOnboardingOnScreen(false);
    updateContent();
}

void MainWindow::bringForward()
{
    if (isMinimized())
        showNormal();
    else
        show();
    // This window itself: the tray popup and the toast carry the same title.
    raiseMainWindow(this);
    QTimer::singleShot(0, this, [this] { raiseMainWindow(this); });
    QTimer::singleShot(100, this, [this] { raiseMainWindow(this); });
}

void raiseMainWindow(QWidget* window)
{
    if (!window || !window->isVisible())
        return;
    window->raise();
    window->activateWindow();
}

void MainWindow::buildMenus()
{
    const auto withDocument = [this](void (EditorDocument::*op)()) {
        return [this, op] {
            if (auto document = m_app.document())
                (document.get()->*op)();
        };
    };
    const auto capture = [](SystemCapture what) { return [what] { SystemScreenshotTool::shared().capture(what); }; };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("Paste Screenshot"), QKeySequence(Qt::CTRL | Qt::Key_V), this, [this] { m_app.pasteScreenshot(); })
        ->setObjectName(QStringLiteral("pasteScreenshot"));
    file->addAction(tr("Open…"), QKeySequence(Qt::CTRL | Qt::Key_O), this, [this] { m_app.capture().importFromFile(); });
    file->addSeparator();
    QAction* copy = file->addAction(tr("Copy Beautified Image"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this,
        [this] { m_app.copyBeautifiedImage(); });
    copy->setObjectName(QStringLiteral("copyBeautified"));
    const auto updateCopy = [this, copy] { copy->setEnabled(m_app.document() != nullptr); };
    connect(&m_app, &AppState::documentChanged, copy, updateCopy);
    updateCopy();
    file->addSeparator();
    file->addAction(tr("Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), this, [this] { Q_EMIT settingsRequested(); });
    file->addAction(tr("Quit Lumaforge"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, [this] { m_app.quit(); })
        ->setObjectName(QStringLiteral("quit"));

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), this, withDocument(&EditorDocument::undo));
    edit->addAction(tr("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this, withDocument(&EditorDocument::redo));

    QMenu* captureMenu = menuBar()->addMenu(tr("&Capture"));
    captureMenu->addAction(tr("Capture…"), this, capture(SystemCapture::options));
    captureMenu->addSeparator();
    captureMenu->addAction(tr("Capture Selection"), this, capture(SystemCapture::selection));
    captureMenu->addAction(tr("Capture Window"), this, capture(SystemCapture::window));
    captureMenu->addAction(tr("Capture Full Screen"), this, capture(SystemCapture::fullScreen));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    // One item answering both Ctrl+= and Ctrl++ (Shift+= on most layouts).
    QAction* zoomIn = view->addAction(tr("Zoom In"), this, [this] { zoomThroughEditor(&EditorDocument::zoomIn); });
    zoomIn->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus) });
    view->addAction(tr("Zoom Out"), QKeySequence(Qt::CTRL | Qt::Key_Minus), this, [this] { zoomThroughEditor(&EditorDocument::zoomOut); });
    view->addAction(tr("Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0), this, [this] {
        if (auto document = m_app.document()) {
            zoomThroughEditor(&EditorDocument::resetZoom);
            // After the animated reset: the stage springs its pan back itself.
            document->setPanResetToken(document->panResetToken() + 1);
        }
    });
}
