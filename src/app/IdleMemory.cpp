#include "app/IdleMemory.h"

#include "app/AppState.h"
#include "editor/EditorDocument.h"
#include "notch/NotchController.h"
#include "platform/MemoryRelease.h"
#include "vision/TextRecognizer.h"
#include "render/RenderCaches.h"

IdleMemory::IdleMemory(AppState& app, NotchController& notch, TextRecognizer& recognizer, QObject* parent)
    : QObject(parent)
    , m_app(app)
    , m_notch(notch)
    , m_recognizer(recognizer)
{
    m_quietEngines.setSingleShot(true);
    m_quietEngines.setInterval(quietEngineMs);
    connect(&m_quietEngines, &QTimer::timeout, this, &IdleMemory::releaseSpareEngines);
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, [] { MemoryRelease::releaseFreedMemory(); });

    connect(&notch, &NotchController::presented, this, &IdleMemory::shotPresented);
    connect(&notch, &NotchController::sessionEnded, this, &IdleMemory::shotReleased);
    m_editorQuiet.setSingleShot(true);
    m_editorQuiet.setInterval(editorQuietMs);
    connect(&m_editorQuiet, &QTimer::timeout, this, &IdleMemory::editorQuiet);
    connect(&app, &AppState::documentChanged, this, [this] {
        watchDocument();
        if (!m_app.document())
            shotReleased();
    });
    // The engines warmed at start-up count as work too.
    m_quietEngines.start();
}

void IdleMemory::shotPresented()
{
    m_quietEngines.start();
    m_settle.start();
}

void IdleMemory::shotReleased()
{
    if (m_app.document() || m_notch.session())
        return;
    releaseRenderCaches();
    m_settle.start();
}

void IdleMemory::watchDocument()
{
    for (QMetaObject::Connection& c : m_documentEdits)
        disconnect(c);
    const auto document = m_app.document();
    if (!document) {
        m_editorQuiet.stop();
        return;
    }
    // Every change that renders anew restarts the quiet spell.
    const auto restart = [this] { m_editorQuiet.start(); };
    EditorDocument* doc = document.get();
    m_documentEdits[0] = connect(doc, &EditorDocument::settingsChanged, this, restart);
    m_documentEdits[1] = connect(doc, &EditorDocument::annotationsChanged, this, restart);
    m_documentEdits[2] = connect(doc, &EditorDocument::zoomChanged, this, restart);
    m_documentEdits[3] = connect(doc, &EditorDocument::manualRedactionsChanged, this, restart);
    m_documentEdits[4] = connect(doc, &EditorDocument::redactionRectsChanged, this, restart);
    m_documentEdits[5] = connect(doc, &EditorDocument::panResetTokenChanged, this, restart);
    m_documentEdits[6] = connect(doc, &EditorDocument::toolChanged, this, restart);
    m_documentEdits[7] = connect(doc, &EditorDocument::selectedAnnotationChanged, this, restart);
    m_editorQuiet.start();
}

void IdleMemory::editorQuiet()
{
    if (!m_app.document())
        return;
    // The editor keeps its own render of what it shows; the stores behind it only serve the next
    // change. The cut-out of a shot with background removal stays: it is the dearest to make again.
    releaseRenderCaches(RenderCacheRelease::keepCutOuts);
    MemoryRelease::releaseFreedMemory();
}

void IdleMemory::releaseSpareEngines()
{
    m_recognizer.releaseSpareEngines();
    MemoryRelease::releaseFreedMemory();
}
