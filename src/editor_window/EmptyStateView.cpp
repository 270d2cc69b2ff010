#include "editor_window/EmptyStateView.h"

#include "capture/CaptureManager.h"
#include "capture/CapturedShot.h"
#include "platform/MimeImage.h"
#include "platform/PlatformTexts.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

EmptyStateView::EmptyStateView(CaptureManager& capture, std::function<void()> paste, QWidget* parent)
    : QWidget(parent)
    , m_capture(capture)
{
    setObjectName(QStringLiteral("emptyState"));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* title = new QLabel(tr("Drop a screenshot here"), this);
    title->setAlignment(Qt::AlignCenter);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* pasteButton = new QPushButton(tr("Paste") + QStringLiteral("  ") + platformText("⌘V"), this);
    pasteButton->setObjectName(QStringLiteral("paste"));
    connect(pasteButton, &QPushButton::clicked, this, [paste] { paste(); });
    auto* openButton = new QPushButton(tr("Open File…"), this);
    openButton->setObjectName(QStringLiteral("openFile"));
    connect(openButton, &QPushButton::clicked, this, [this] { m_capture.importFromFile(); });
    row->addWidget(pasteButton);
    row->addWidget(openButton);
    row->addStretch();
    layout->addLayout(row);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("permissionNotice"));
    m_notice->setWordWrap(true);
    m_notice->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_notice);
    layout->addStretch();
    connect(&m_capture, &CaptureManager::desktopPermissionDeniedChanged, this, &EmptyStateView::updateNotice);
    updateNotice();
}

void EmptyStateView::updateNotice()
{
    m_notice->setVisible(m_capture.desktopPermissionDenied());
    m_notice->setText(tr("Lumaforge cannot read your screenshot folder, so new screenshots are not picked up."));
}

void EmptyStateView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasImage() || event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void EmptyStateView::dropEvent(QDropEvent* event)
{
    const QImage image = readMimeImage(*event->mimeData(), QStringLiteral("drop"));
    if (image.isNull())
        return;
    event->acceptProposedAction();
    const CapturedShot shot = CapturedShot::make(image);
    m_capture.addRecent(shot);
    m_capture.sendImport(shot);
}
