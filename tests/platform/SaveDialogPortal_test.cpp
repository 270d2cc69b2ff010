// The save dialog through the desktop's file chooser portal: a stand-in portal on a private
// session bus answers, cancels or keeps silent.
#include "fakes/FakePortalRequest.h"
#include "platform/PortalRequest.h"
#include "platform/SaveDialog.h"
#include "support/Wait.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <gtest/gtest.h>

namespace {

class FakeFileChooser : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.FileChooser")
    Q_PROPERTY(uint version READ version)
public:
    FakeFileChooser(QObject* host, QDBusConnection bus)
        : QDBusAbstractAdaptor(host)
        , m_bus(std::move(bus))
    {
    }
    uint version() const { return 3; }

    enum class Mode { answer, cancel, noReply, noResponse };
    std::atomic<Mode> mode { Mode::answer };
    QString uri; // set while no call is in flight
    std::atomic<int> calls { 0 };
    std::atomic<int> closes { 0 };

public Q_SLOTS:
    QDBusObjectPath SaveFile(const QString&, const QString&, const QVariantMap& options, const QDBusMessage& message)
    {
        ++calls;
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        const QString path = portalRequestPath(message, token);
        switch (mode.load()) {
        case Mode::noReply:
            message.setDelayedReply(true); // and never sends it
            return {};
        case Mode::noResponse:
            m_bus.registerObject(path, new FakePortalRequest(parent(), &closes), QDBusConnection::ExportAllSlots);
            break;
        case Mode::answer:
        case Mode::cancel:
            respond(m_bus, message, token, mode == Mode::answer ? 0 : 1,
                { { QStringLiteral("uris"), QStringList { uri } } });
            break;
        }
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};

class SaveDialogPortal : public ::testing::Test {
protected:
    void SetUp() override
    {
        daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        ASSERT_TRUE(daemon.waitForStarted(3000));
        ASSERT_TRUE(daemon.waitForReadyRead(3000));
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        serviceBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("chooser")));
        clientBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("exporter")));
        ASSERT_TRUE(serviceBus->isConnected());
        host = std::make_unique<QObject>();
        chooser = new FakeFileChooser(host.get(), *serviceBus);
        portalThread.start();
        host->moveToThread(&portalThread);
        ASSERT_TRUE(serviceBus->registerObject(PortalRequest::path, host.get(), QDBusConnection::ExportAdaptors));
        ASSERT_TRUE(serviceBus->registerService(PortalRequest::service));
        PortalRequest::forgetVersions();
    }

    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog*>(w))
                delete w;
        serviceBus->unregisterObject(PortalRequest::path);
        portalThread.quit();
        portalThread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("exporter"));
        QDBusConnection::disconnectFromBus(QStringLiteral("chooser"));
        daemon.terminate();
        daemon.waitForFinished(3000);
        PortalRequest::forgetVersions();
    }

    void ask(SavePortalTimeouts timeouts = {})
    {
        answer.reset();
        askSavePath(*clientBus, nullptr,
            { QStringLiteral("Export"), QStringLiteral("Lumaforge.png"), QStringLiteral("PNG image"), QStringLiteral("*.png") },
            [this](std::optional<QString> path) { answer = path; }, timeouts);
    }

    template <typename T>
    static T* shown(const QString& name = {})
    {
        T* found = nullptr;
        waitUntil([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<T*>(w); d && d->isVisible() && (name.isEmpty() || d->objectName() == name))
                    found = d;
            return found != nullptr;
        }, 3000);
        return found;
    }

    QProcess daemon;
    QThread portalThread;
    std::unique_ptr<QDBusConnection> serviceBus;
    std::unique_ptr<QDBusConnection> clientBus;
    std::unique_ptr<QObject> host;
    FakeFileChooser* chooser = nullptr;
    QTemporaryDir dir;
    std::optional<std::optional<QString>> answer;
};

}

// The chooser checks the name as typed; "shot" saved as "shot.png" must not silently replace an
// existing "shot.png".
TEST_F(SaveDialogPortal, ANameWithoutTheSuffixIsCheckedForAnExistingFileOfTheFullName)
{
    const QString existing = dir.filePath(QStringLiteral("shot.png"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("the user's own picture");
    file.close();

    chooser->uri = QUrl::fromLocalFile(dir.filePath(QStringLiteral("shot"))).toString();
    ask();
    QMessageBox* question = shown<QMessageBox>(QStringLiteral("confirmOverwrite"));
    ASSERT_TRUE(question);
    EXPECT_TRUE(question->text().contains(QStringLiteral("shot.png")));
    EXPECT_FALSE(answer);
    QTest::keyClick(question, Qt::Key_Return); // the default keeps the file
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(answer->has_value());

    ask();
    question = shown<QMessageBox>(QStringLiteral("confirmOverwrite"));
    ASSERT_TRUE(question);
    QPushButton* replace = nullptr;
    for (QAbstractButton* b : question->buttons())
        if (b->text() == QStringLiteral("Replace"))
            replace = qobject_cast<QPushButton*>(b);
    ASSERT_TRUE(replace);
    QTest::mouseClick(replace, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(answer->value_or(QString()), existing);

    // A new name, or one the chooser confirmed with its suffix, is not asked about.
    chooser->uri = QUrl::fromLocalFile(dir.filePath(QStringLiteral("fresh"))).toString();
    ask();
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(answer->value_or(QString()), dir.filePath(QStringLiteral("fresh.png")));
    chooser->uri = QUrl::fromLocalFile(existing).toString();
    ask();
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(answer->value_or(QString()), existing);

    chooser->mode = FakeFileChooser::Mode::cancel;
    ask();
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(answer->has_value());
}

TEST_F(SaveDialogPortal, AChooserThatNeverAnswersGivesWayToQtsDialog)
{
    // The call itself unanswered.
    chooser->mode = FakeFileChooser::Mode::noReply;
    QElapsedTimer clock;
    clock.start();
    ask({ 300, 600 });
    QFileDialog* dialog = shown<QFileDialog>();
    ASSERT_TRUE(dialog);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_FALSE(answer);
    EXPECT_EQ(dialog->nameFilters(), QStringList { QStringLiteral("PNG image (*.png)") });
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(answer->value_or(QString()).endsWith(QStringLiteral("/Lumaforge.png")));

    // The call taken, then no answer: the request is closed and Qt's dialog asks. The call's
    // time-out leaves room for a loaded machine, where the stand-in takes the call late.
    chooser->mode = FakeFileChooser::Mode::noResponse;
    clock.restart();
    ask({ 800, 1600 });
    dialog = shown<QFileDialog>();
    ASSERT_TRUE(dialog);
    EXPECT_GE(clock.elapsed(), 1500);
    ASSERT_TRUE(waitUntil([&] { return chooser->closes == 1; }));
    dialog->reject();
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(answer->has_value());
}

TEST_F(SaveDialogPortal, AChooserThatLeavesTheBusGivesWayAtOnce)
{
    chooser->mode = FakeFileChooser::Mode::noResponse;
    ask(); // the default time-outs: minutes while the user chooses
    ASSERT_TRUE(waitUntil([&] { return chooser->calls == 1; }));
    QElapsedTimer clock;
    clock.start();
    serviceBus->unregisterService(PortalRequest::service);
    QFileDialog* dialog = shown<QFileDialog>();
    ASSERT_TRUE(dialog);
    EXPECT_LT(clock.elapsed(), 2000);
    dialog->reject();
    ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(answer->has_value());
}

#include "SaveDialogPortal_test.moc"
