#include "platform/SaveDialog.h"

#include "platform/PortalRequest.h"

#include "core/Log.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <utility>

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

void confirmOverwrite(QWidget* parent, const QString& path, std::function<void(std::optional<QString>)> done);

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
    QObject::connect(dialog, &QFileDialog::finished, dialog,
        [dialog, done, answered, request, owner = QPointer<QWidget>(parent)](int result) {
            if (*answered)
                return;
            *answered = true;
            const QStringList files = dialog->selectedFiles();
            if (result != QDialog::Accepted || files.isEmpty()) {
                done(std::nullopt);
                return;
            }
            // The dialog adds its default suffix only to a name without any ("v1.2" has one), and
            // asked about the name as typed: a file of the full name is ours to ask about.
            const QString path = withSuffix(files.first(), request.pattern);
            if (path != files.first() && QFileInfo::exists(path))
                confirmOverwrite(owner, path, done);
            else
                done(path);
        });
    dialog->open();
}

// The portal's chooser checked the name as typed: when the suffix had to be added, a file of the
// full name is ours to ask about.
void confirmOverwrite(QWidget* parent, const QString& path, std::function<void(std::optional<QString>)> done)
{
    auto* box = new QMessageBox(parent);
    box->setObjectName(QStringLiteral("confirmOverwrite"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("Lumaforge"));
    box->setText(QObject::tr("“%1” already exists. Do you want to replace it?").arg(QFileInfo(path).fileName()));
    QPushButton* replace = box->addButton(QObject::tr("Replace"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    QObject::connect(box, &QMessageBox::finished, box, [box, replace, path, done] {
        done(box->clickedButton() == replace ? std::optional<QString>(path) : std::nullopt);
    });
    box->open();
}

// One request to the portal's chooser. It ends once: with the portal's answer, or, when the portal
// keeps silent or leaves, with Qt's dialog asking instead. Deleting it drops a late answer.
class PortalSave : public QObject {
public:
    PortalSave(QDBusConnection bus, QWidget* owner, SaveRequest request, std::function<void(std::optional<QString>)> done)
        : m_bus(std::move(bus))
        , m_owner(owner)
        , m_request(std::move(request))
        , m_done(std::move(done))
    {
    }

    QTimer timer;
    QString requestPath;

    void answer(const std::optional<QString>& chosen)
    {
        auto done = end();
        if (!done)
            return;
        if (!chosen) {
            done(std::nullopt);
            return;
        }
        const QString path = withSuffix(*chosen, m_request.pattern);
        if (path != *chosen && QFileInfo::exists(path))
            confirmOverwrite(m_owner, path, std::move(done));
        else
            done(path);
    }

    void fallBack(const QString& why)
    {
        auto done = end();
        if (!done)
            return;
        logLine(QStringLiteral("the file chooser portal %1; asking with our own dialog").arg(why));
        if (!requestPath.isEmpty())
            PortalRequest::close(m_bus, requestPath);
        askWithQt(m_owner, m_request, std::move(done));
    }

private:
    std::function<void(std::optional<QString>)> end()
    {
        timer.stop();
        deleteLater();
        return std::exchange(m_done, nullptr);
    }

    QDBusConnection m_bus;
    QPointer<QWidget> m_owner;
    SaveRequest m_request;
    std::function<void(std::optional<QString>)> m_done;
};

}

void askSavePath(QWidget* parent, const SaveRequest& request, std::function<void(std::optional<QString>)> done)
{
    askSavePath(QDBusConnection::sessionBus(), parent, request, std::move(done));
}

void askSavePath(const QDBusConnection& bus, QWidget* parent, const SaveRequest& request,
    std::function<void(std::optional<QString>)> done, SavePortalTimeouts timeouts)
{
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

    // Lives with the owner: a closed editor drops the answer.
    auto* save = new PortalSave(bus, parent, request, std::move(done));
    save->setParent(parent ? static_cast<QObject*>(parent) : static_cast<QObject*>(qApp));
    save->timer.setSingleShot(true);
    QObject::connect(&save->timer, &QTimer::timeout, save, [save] { save->fallBack(QStringLiteral("did not answer in time")); });
    save->timer.start(timeouts.acceptMs);
    auto* watcher = new QDBusServiceWatcher(PortalRequest::service, bus, QDBusServiceWatcher::WatchForUnregistration, save);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceUnregistered, save,
        [save] { save->fallBack(QStringLiteral("left the session bus")); });

    save->requestPath = PortalRequest::call(
        bus, kFileChooser, QStringLiteral("SaveFile"), { QString(), request.title, options }, save,
        [save](uint response, const QVariantMap& results) {
            if (response == 2) {
                // The portal could not show its chooser: fall back to our own.
                save->fallBack(QStringLiteral("could not show its chooser"));
                return;
            }
            const QStringList uris = results.value(QStringLiteral("uris")).toStringList();
            const QUrl url = uris.isEmpty() ? QUrl() : QUrl(uris.first());
            if (response != 0 || !url.isLocalFile()) {
                save->answer(std::nullopt);
                return;
            }
            save->answer(url.toLocalFile());
        },
        [save, answerMs = timeouts.answerMs] { save->timer.start(answerMs); });
}

void learnSaveDialogPortal()
{
    PortalRequest::learnVersion(QDBusConnection::sessionBus(), kFileChooser);
}
