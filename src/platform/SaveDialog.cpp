#include "platform/SaveDialog.h"

#include "platform/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QUrl>

namespace {

const QString kFileChooser = QStringLiteral("org.freedesktop.portal.FileChooser");

// The portal's filter list: a(sa(us)), each filter a name and (0 = glob, pattern) pairs.
struct PortalFilterRule {
    uint type = 0;
    QString pattern;
};
struct PortalFilter {
    QString name;
    QList<PortalFilterRule> rules;
};

QDBusArgument& operator<<(QDBusArgument& arg, const PortalFilterRule& rule)
{
    arg.beginStructure();
    arg << rule.type << rule.pattern;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, PortalFilterRule& rule)
{
    arg.beginStructure();
    arg >> rule.type >> rule.pattern;
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const PortalFilter& filter)
{
    arg.beginStructure();
    arg << filter.name << filter.rules;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, PortalFilter& filter)
{
    arg.beginStructure();
    arg >> filter.name >> filter.rules;
    arg.endStructure();
    return arg;
}

}

Q_DECLARE_METATYPE(PortalFilterRule)
Q_DECLARE_METATYPE(PortalFilter)

namespace {

QString withSuffix(QString path, const QString& pattern)
{
    const QString suffix = pattern.startsWith(QLatin1Char('*')) ? pattern.mid(1) : QString();
    if (!suffix.isEmpty() && !path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    return path;
}

void askWithQt(QWidget* parent, const SaveRequest& request, std::function<void(std::optional<QString>)> done)
{
    auto* dialog = new QFileDialog(parent, request.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("%1 (%2)").arg(request.filterName, request.pattern));
    dialog->setDefaultSuffix(request.pattern.mid(2));
    dialog->selectFile(request.suggestedName);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered, request](int result) {
        if (*answered)
            return;
        *answered = true;
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty())
            done(withSuffix(files.first(), request.pattern));
        else
            done(std::nullopt);
    });
    dialog->open();
}

}

void askSavePath(QWidget* parent, const SaveRequest& request, std::function<void(std::optional<QString>)> done)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || PortalRequest::rememberedVersion(bus, kFileChooser) == 0) {
        askWithQt(parent, request, std::move(done));
        return;
    }
    qDBusRegisterMetaType<PortalFilterRule>();
    qDBusRegisterMetaType<QList<PortalFilterRule>>();
    qDBusRegisterMetaType<PortalFilter>();
    qDBusRegisterMetaType<QList<PortalFilter>>();
    const PortalFilter filter { request.filterName, { { 0, request.pattern } } };
    QVariantMap options;
    options.insert(QStringLiteral("current_name"), request.suggestedName);
    options.insert(QStringLiteral("modal"), true);
    options.insert(QStringLiteral("filters"), QVariant::fromValue(QList<PortalFilter> { filter }));
    options.insert(QStringLiteral("current_filter"), QVariant::fromValue(filter));
    QPointer<QWidget> owner(parent);
    QObject* context = parent ? static_cast<QObject*>(parent) : static_cast<QObject*>(qApp);
    PortalRequest::call(bus, kFileChooser, QStringLiteral("SaveFile"), { QString(), request.title, options }, context,
        [done, owner, request](uint response, const QVariantMap& results) {
            if (response == 2) {
                // The portal could not show its chooser: fall back to our own.
                askWithQt(owner, request, done);
                return;
            }
            const QStringList uris = results.value(QStringLiteral("uris")).toStringList();
            const QUrl url = uris.isEmpty() ? QUrl() : QUrl(uris.first());
            if (response != 0 || !url.isLocalFile()) {
                done(std::nullopt);
                return;
            }
            done(withSuffix(url.toLocalFile(), request.pattern));
        });
}

void learnSaveDialogPortal()
{
    PortalRequest::learnVersion(QDBusConnection::sessionBus(), kFileChooser);
}
