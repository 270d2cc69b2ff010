#include "editor_window/EditorView.h"

#include "editor/DocumentRender.h"
#include "editor/EditorDocument.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimer>
#include <QVBoxLayout>

EditorView::EditorView(std::shared_ptr<EditorDocument> document, Actions actions, QWidget* parent)
    : QWidget(parent)
    , m_document(std::move(document))
{
    setObjectName(QStringLiteral("editor"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* title = new QLabel(m_document->title(), this);
    bar->addWidget(title);
    bar->addStretch();
    auto* copy = new QPushButton(tr("Copy"), this);
    copy->setObjectName(QStringLiteral("copy"));
    connect(copy, &QPushButton::clicked, this, [f = actions.copy] {
        if (f)
            f();
    });
    auto* copyClose = new QPushButton(tr("Copy && Close"), this);
    copyClose->setObjectName(QStringLiteral("copyAndClose"));
    connect(copyClose, &QPushButton::clicked, this, [f = actions.copyAndClose] {
        if (f)
            f();
    });
    bar->addWidget(copy);
    bar->addWidget(copyClose);
    layout->addLayout(bar);

    m_canvas = new QLabel(this);
    m_canvas->setAlignment(Qt::AlignCenter);
    m_canvas->setMinimumSize(320, 200);
    m_canvas->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    layout->addWidget(m_canvas, 1);

    // Changes arrive in bursts (a scan result sets several fields): render once per turn.
    auto* coalesce = new QTimer(this);
    coalesce->setSingleShot(true);
    coalesce->setInterval(0);
    connect(coalesce, &QTimer::timeout, this, &EditorView::refresh);
    for (auto signal : { &EditorDocument::settingsChanged, &EditorDocument::annotationsChanged,
             &EditorDocument::redactionRectsChanged, &EditorDocument::manualRedactionsChanged })
        connect(m_document.get(), signal, coalesce, qOverload<>(&QTimer::start));
    refresh();
}

void EditorView::refresh()
{
    m_rendered = renderDocumentImage(*m_document);
    fit();
}

void EditorView::fit()
{
    if (m_rendered.isNull()) {
        m_canvas->setPixmap({});
        return;
    }
    const qreal dpr = devicePixelRatioF();
    QImage scaled = m_rendered.scaled(m_canvas->size() * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(dpr);
    m_canvas->setPixmap(QPixmap::fromImage(scaled));
}

void EditorView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fit();
}
