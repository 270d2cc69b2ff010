#include "settings/AccountTab.h"

#include "platform/PlatformTexts.h"
#include "settings/SettingsSection.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

class Badge final : public QWidget {
public:
    explicit Badge(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(64, 64);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 18, 18);
        p.fillPath(shape, Theme::brandGradient());
        Symbols::paint(p, u"checkmark.seal.fill", QRectF(rect()).center(), 26.0, Qt::white);
    }
};

}

AccountTab::AccountTab(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("accountTab"));
    auto* column = new QVBoxLayout(this);
    column->setSpacing(14);
    column->addStretch();
    auto* badge = new Badge(this);
    column->addWidget(badge, 0, Qt::AlignHCenter);
    const auto centred = [&](QLabel* label) {
        label->setAlignment(Qt::AlignCenter);
        column->addWidget(label, 0, Qt::AlignHCenter);
    };
    centred(schemeLabel(QStringLiteral("Lumaforge"), TextRole::primary, Theme::font(17, QFont::DemiBold), this));
    centred(schemeLabel(platformText("Local & private — captures never leave your Mac."), TextRole::secondary,
        Theme::font(12), this));
    QLabel* version = schemeLabel(tr("Version 1.0"), TextRole::tertiary, Theme::font(11), this);
    version->setObjectName(QStringLiteral("version"));
    centred(version);
    column->addStretch();
}
