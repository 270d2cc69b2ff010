#include "onboarding/OnboardingView.h"

#include "platform/PlatformTexts.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OnboardingView::OnboardingView(std::function<void()> complete, QWidget* parent)
    : QWidget(parent)
    , m_complete(std::move(complete))
{
    setObjectName(QStringLiteral("onboarding"));
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* title = new QLabel(tr("Welcome to Lumaforge"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 2.0);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    auto* body = new QLabel(tr("Take a screenshot with %1 and Lumaforge styles it, hides sensitive text and copies it.")
                                .arg(platformText("⇧⌘4")),
        this);
    body->setWordWrap(true);
    body->setAlignment(Qt::AlignCenter);
    layout->addWidget(body);
    auto* start = new QPushButton(tr("Get Started"), this);
    start->setObjectName(QStringLiteral("onboardingDone"));
    start->setDefault(true);
    connect(start, &QPushButton::clicked, this, [this] {
        if (m_complete)
            m_complete();
    });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(start);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
}
