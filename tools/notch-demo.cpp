// Presents a generated screenshot in the notch panel, as a new shot would be, so the panel can be
// seen and tried without the rest of the application.
//
//   notch-demo [--redactions] [--shots DIR]
//
// With --shots the program photographs the screen in three states (revealed, hovered with the
// style strip, the redaction detail), writes DIR/notch-*.png and quits; it moves the real pointer
// with xdotool, so run it on a private X server.
#include "editor/EditorDocument.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "notch/NotchController.h"
#include "notch/NotchPanel.h"
#include "notch/NotchPanelView.h"
#include "notch/NotchRedactionPill.h"
#include "model/WatermarkConfig.h"
#include "render/CanvasRenderer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTimer>

namespace {
// A window with text lines and a button on a coloured desktop.
QImage generatedShot()
{
    QImage image(QSize(1600, 1000), QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient desktop(0, 0, image.width(), image.height());
    desktop.setColorAt(0, QColor(40, 90, 200));
    desktop.setColorAt(1, QColor(190, 70, 160));
    p.fillRect(image.rect(), desktop);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect window(180, 140, 1240, 720);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(248, 248, 250));
    p.drawRoundedRect(window, 14, 14);
    p.setBrush(QColor(226, 226, 232));
    p.drawRect(QRect(window.left(), window.top() + 6, window.width(), 34));
    p.setPen(QColor(30, 30, 36));
    QFont font = p.font();
    font.setPixelSize(26);
    p.setFont(font);
    int y = window.top() + 100;
    for (const char* line : { "Quarterly numbers", "Contact: jane.doe@example.com", "Server 192.168.10.24",
             "Total due: $1,249.00", "Key: sk_live_51HqLxY2eZvKYlo2C" }) {
        p.drawText(window.left() + 50, y, QString::fromUtf8(line));
        y += 70;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 122, 255));
    p.drawRoundedRect(QRect(window.right() - 200, window.bottom() - 80, 160, 48), 10, 10);
    return image;
}

// The shot as the new-shot pipeline hands it over: its own document, styled once, cached under
// its key.
std::shared_ptr<NotchSession> makeNotchSession(const QImage& raw, const QString& key, const BeautifySettings& settings)
{
    auto session = std::make_shared<NotchSession>();
    session->rawImage = raw;
    session->document = std::make_shared<EditorDocument>(raw, QStringLiteral("Screenshot"), settings, DetectionResult {});
    session->styledImage = renderCanvasImage(raw, settings, {}, {}, currentWatermarkConfig());
    session->renderCache.insert(key, session->styledImage);
    session->currentStyleKey = key;
    return session;
}

void xdotoolMove(const QPoint& global)
{
    QProcess::execute(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()) });
}

void grabScreen(const QString& path)
{
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    shot.save(path);
    std::printf("wrote %s\n", qPrintable(path));
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumaforge"));
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption redactions(QStringLiteral("redactions"), QStringLiteral("Show a redaction summary."));
    const QCommandLineOption shots(QStringLiteral("shots"), QStringLiteral("Photograph the panel into DIR and quit."),
        QStringLiteral("DIR"));
    parser.addOptions({ redactions, shots });
    parser.process(app);

    NotchController& controller = NotchController::shared();
    if (PresetStore::shared().presets().isEmpty()) {
        BeautifySettings ocean = BeautifySettings::defaults();
        ocean.background = BackgroundPreset::cobalt;
        PresetStore::shared().add(QStringLiteral("Ocean"), ocean);
        BeautifySettings dusk = BeautifySettings::defaults();
        dusk.background = BackgroundPreset::noir;
        PresetStore::shared().add(QStringLiteral("Dusk"), dusk);
    }

    const QImage raw = generatedShot();
    auto session = makeNotchSession(raw, QStringLiteral("auto"), BeautifySettings::defaults());
    if (parser.isSet(redactions) || parser.isSet(shots))
        session->redactionSummary = RedactionSummary { { { RedactionKind::email, 1 }, { RedactionKind::ip, 1 },
            { RedactionKind::money, 1 }, { RedactionKind::apiKey, 2 } } };
    controller.present(session);

    if (!parser.isSet(shots))
        return app.exec();

    const QString dir = parser.value(shots);
    QDir().mkpath(dir);
    NotchPanel* panel = controller.panel();
    QTimer::singleShot(1200, [&] {
        grabScreen(dir + QStringLiteral("/notch-revealed.png"));
        xdotoolMove(panel->view()->card()->mapToGlobal(QPoint(panel->view()->card()->width() / 2, 60)));
    });
    QTimer::singleShot(2600, [&] {
        grabScreen(dir + QStringLiteral("/notch-hovered.png"));
        QWidget* pill = panel->view()->card()->redactionPill();
        xdotoolMove(pill->mapToGlobal(pill->rect().center()));
    });
    QTimer::singleShot(3600, [&] {
        grabScreen(dir + QStringLiteral("/notch-redaction-detail.png"));
        app.quit();
    });
    return app.exec();
}
