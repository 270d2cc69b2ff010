#include "settings/ShortcutsTab.h"

#include "capture/CaptureAction.h"
#include "platform/KeyboardLayout.h"
#include "platform/Keys.h"
#include "platform/PlatformTexts.h"
#include "settings/KeyCapView.h"
#include "settings/SettingsSection.h"
#include "settings/ShortcutRecorder.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QWidget* recorderRow(const QString& title, ShortcutRecorder* recorder)
{
    auto* row = new QWidget;
    auto* column = new QVBoxLayout(row);
    column->setContentsMargins(0, 1, 0, 1);
    column->setSpacing(2);
    auto* line = new QHBoxLayout;
    line->addWidget(schemeLabel(title, TextRole::primary, Theme::font(13), row));
    line->addStretch();
    line->addWidget(recorder);
    column->addLayout(line);
    QLabel* notice = secondaryLabel(QString(), row);
    notice->setObjectName(QStringLiteral("notice-") + rawValue(recorder->action()));
    notice->setAlignment(Qt::AlignRight);
    notice->setText(recorder->notice());
    notice->setVisible(!recorder->notice().isEmpty());
    column->addWidget(notice);
    QObject::connect(recorder, &ShortcutRecorder::noticeChanged, notice, [notice](const QString& text) {
        notice->setText(text);
        notice->setVisible(!text.isEmpty());
    });
    return row;
}

}

QList<std::pair<QString, QString>> ShortcutsTab::desktopRows(const DesktopScreenshotKeys& keys)
{
    return {
        { tr("Capture selected area"), keys.text(SystemCapture::selection) },
        { tr("Capture a window"), keys.text(SystemCapture::window) },
        { tr("Capture full screen"), keys.text(SystemCapture::fullScreen) },
        { platformText("Screenshot toolbar"), keys.text(SystemCapture::options) },
    };
}

ShortcutsTab::ShortcutsTab(CaptureShortcutStore& store, GlobalHotkeys* hotkeys,
    const DesktopScreenshotKeys& desktopKeys, const QString& hotkeysUnavailable, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("shortcutsTab"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 8, 20, 10);
    column->setSpacing(10);

    if (!hotkeysUnavailable.isEmpty()) {
        QLabel* notice = secondaryLabel(hotkeysUnavailable, this);
        notice->setObjectName(QStringLiteral("hotkeysUnavailable"));
        column->addWidget(notice);
    }

    auto* own = new SettingsSection(tr("Lumaforge capture shortcuts"),
        tr("Trigger a capture from anywhere. Click a shortcut to rebind it; press Esc while recording to cancel."), this);
    for (CaptureAction action : allCases<CaptureAction>) {
        auto* recorder = new ShortcutRecorder(action, store, hotkeys);
        m_recorders.append(recorder);
        own->addRow(recorderRow(captureActionTitle(action), recorder));
    }
    column->addWidget(own);

    auto* desktop = new SettingsSection(platformText("macOS screenshot shortcuts"), QString(), this);
    for (const auto& [title, keys] : desktopRows(desktopKeys))
        desktop->addRow(title, new KeyCapView(keys));
    column->addWidget(desktop);

    auto* info = new QHBoxLayout;
    info->setSpacing(8);
    auto* shield = new QLabel(this);
    shield->setPixmap(Symbols::pixmap(u"lock.shield", 13.0, Theme::accent(), devicePixelRatioF()));
    shield->setAlignment(Qt::AlignTop);
    info->addWidget(shield);
    info->addWidget(secondaryLabel(platformText("Lumaforge uses your Mac's built-in capture shortcuts — nothing to grant. "
                                                "Take a screenshot and it opens here automatically. You can also paste (⌘V) "
                                                "or open a file from the menu-bar."),
                        this),
        1);
    column->addLayout(info);
    column->addStretch();
}
