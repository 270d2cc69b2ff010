#include "app/IdleMemory.h"

#include "app/AppState.h"
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
    connect(&app, &AppState::documentChanged, this, [this] {
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

void IdleMemory::releaseSpareEngines()
{
    m_recognizer.releaseSpareEngines();
    MemoryRelease::releaseFreedMemory();
}
