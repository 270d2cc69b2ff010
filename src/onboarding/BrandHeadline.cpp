#include "onboarding/BrandHeadline.h"

#include "onboarding/CenteredText.h"
#include "ui/Theme.h"

#include <QVBoxLayout>

QFont BrandHeadline::titleFont()
{
    QFont font = Theme::font(40, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
    return font;
}

BrandHeadline::BrandHeadline(const QString& title, const QString& subtitle, QWidget* parent)
    : QWidget(parent)
    , m_title(new CenteredText(title, titleFont(), CenteredText::Style::primary, 0, QWIDGETSIZE_MAX, this))
    , m_subtitle(new CenteredText(subtitle, Theme::font(15), CenteredText::Style::secondary, 3, 480, this))
{
    m_title->setObjectName(QStringLiteral("headlineTitle"));
    m_subtitle->setObjectName(QStringLiteral("headlineSubtitle"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    layout->addWidget(m_title);
    layout->addWidget(m_subtitle);
}
