#include "InspectorTestKit.h"

#include "editor/DocumentRender.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorField.h"
#include "inspector/InspectorImageSection.h"
#include "inspector/InspectorWatermarkSection.h"
#include "support/Wait.h"

#include <QBuffer>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QInputMethodEvent>
#include <QtEndian>

#include <sys/stat.h>

namespace {
QByteArray pngBytes(QSize size, QColor color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    for (int y = 0; y < size.height(); y += 3)
        for (int x = 0; x < size.width(); x += 5)
            image.setPixelColor(x, y, QColor((x * 7) % 255, (y * 13) % 255, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A small valid PNG whose header claims `width` x `height`.
QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray bytes = pngBytes(QSize(4, 4), Qt::red);
    // Signature (8), IHDR length (4), "IHDR" (4), then width and height.
    qToBigEndian(width, bytes.data() + 16);
    qToBigEndian(height, bytes.data() + 20);
    qToBigEndian(crc32(bytes.mid(12, 17)), bytes.data() + 29);
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void typeCommitted(QWidget* field, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(field, &event);
}

// The mean colour of a block, to see whether a render changed there.
QColor meanColor(const QImage& image, const QRect& area)
{
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}
}

using InspectorWatermark = InspectorKit;

TEST_F(InspectorWatermark, ToggleRecordsNothingAndShowsTheBrand)
{
    open();
    InspectorWatermarkSection* section = view->watermarkSection();
    EXPECT_TRUE(section->brandControls()->isHidden());

    click(view->imageSection()->flipHChip()); // one recorded step
    const int undo = doc->undoCount();
    click(section->watermarkToggle());
    EXPECT_TRUE(style().watermark);
    EXPECT_EQ(doc->undoCount(), undo);
    EXPECT_FALSE(section->brandControls()->isHidden());
    EXPECT_EQ(section->brandField()->placeholderText(), "Brand name");
    EXPECT_EQ(section->uploadButton()->text(), "Upload logo");
    EXPECT_TRUE(section->removeButton()->isHidden());

    // Undo goes back to the last recorded step: before the flip, watermark off.
    doc->undo();
    EXPECT_FALSE(style().watermark);
    EXPECT_FALSE(style().flipH);
    EXPECT_TRUE(section->brandControls()->isHidden());
}

TEST_F(InspectorWatermark, LogoChosenThroughTheDialogThenRemoved)
{
    BeautifySettings on = BeautifySettings::defaults();
    on.watermark = true;
    open(on);
    InspectorWatermarkSection* section = view->watermarkSection();
    const QString chosen = dir.filePath(QStringLiteral("brand.png"));
    writeFile(chosen, pngBytes(QSize(40, 20), Qt::blue));

    click(section->uploadButton());
    EXPECT_EQ(pickerOpens, 1);
    ASSERT_TRUE(pendingChoice);
    // Nothing happens until the person chooses; the window stays usable meanwhile.
    EXPECT_TRUE(prefs->watermarkLogo().isNull());
    pendingChoice(chosen);
    ASSERT_TRUE(waitUntil([this] { return !prefs->watermarkLogo().isNull(); }));
    EXPECT_EQ(prefs->watermarkLogo().size(), QSize(40, 20));
    EXPECT_EQ(section->uploadButton()->text(), "Replace");
    EXPECT_FALSE(section->removeButton()->isHidden());
    prefs->waitForFileWrites();
    EXPECT_TRUE(QFile::exists(logoPath()));
    EXPECT_TRUE(toasts.isEmpty());
    const int undo = doc->undoCount();

    click(section->removeButton());
    EXPECT_TRUE(prefs->watermarkLogo().isNull());
    EXPECT_EQ(section->uploadButton()->text(), "Upload logo");
    EXPECT_TRUE(section->removeButton()->isHidden());
    prefs->waitForFileWrites();
    EXPECT_FALSE(QFile::exists(logoPath()));
    EXPECT_EQ(doc->undoCount(), undo); // the brand is a preference, not part of the shot
}

TEST_F(InspectorWatermark, BadLogoFilesChangeNothingAndSayWhy)
{
    BeautifySettings on = BeautifySettings::defaults();
    on.watermark = true;
    open(on);
    InspectorWatermarkSection* section = view->watermarkSection();
    const QImage current(QSize(8, 8), QImage::Format_ARGB32);
    prefs->setWatermarkLogo(current);
    prefs->waitForFileWrites();
    const QByteArray storedFile = [this] {
        QFile f(logoPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_FALSE(storedFile.isEmpty());

    const QString text = dir.filePath(QStringLiteral("notes.png"));
    writeFile(text, "just some words, not an image");
    const QString truncated = dir.filePath(QStringLiteral("cut.png"));
    const QByteArray whole = pngBytes(QSize(64, 64), Qt::green);
    writeFile(truncated, whole.left(whole.size() / 2));
    const QString enormous = dir.filePath(QStringLiteral("huge.png"));
    writeFile(enormous, pngClaiming(20000, 20000));
    const QString missing = dir.filePath(QStringLiteral("gone.png"));
    const QString folder = dir.filePath(QStringLiteral("folder.png"));
    QDir().mkpath(folder);
    const QString fifo = dir.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0); // would block a reader

    for (const QString& path : { text, truncated, enormous, missing, folder, fifo }) {
        SCOPED_TRACE(path.toStdString());
        const qsizetype before = toasts.size();
        bool done = false;
        section->loadChosenLogo(path, [&done] { done = true; });
        ASSERT_TRUE(waitUntil([&done] { return done; }, 10000));
        EXPECT_EQ(prefs->watermarkLogo().cacheKey(), current.cacheKey());
        ASSERT_EQ(toasts.size(), before + 1);
        EXPECT_TRUE(toasts.last().startsWith("Can't use this file as a logo: ")) << toasts.last().toStdString();
        EXPECT_GT(toasts.last().size(), QStringLiteral("Can't use this file as a logo: ").size());
    }
    EXPECT_TRUE(toasts[2].contains(QStringLiteral("too large"))) << toasts[2].toStdString();
    prefs->waitForFileWrites();
    QFile f(logoPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), storedFile);
    EXPECT_EQ(section->uploadButton()->text(), "Replace");
}

TEST_F(InspectorWatermark, CornerButtonsStoreThePositionEveryPress)
{
    BeautifySettings on = BeautifySettings::defaults();
    on.watermark = true;
    open(on);
    InspectorWatermarkSection* section = view->watermarkSection();
    ASSERT_EQ(section->cornerButtons().size(), 4);
    EXPECT_TRUE(section->cornerButtons()[3]->isSelected()); // bottom right by default
    EXPECT_EQ(section->cornerButtons()[0]->toolTip(), "Top left");
    const int undo = doc->undoCount();

    click(section->cornerButtons()[2]);
    EXPECT_EQ(prefs->watermarkPosition(), WatermarkPosition::bottomLeft);
    EXPECT_EQ(settings.value(QStringLiteral("watermarkPosition")).toString(), "bottomLeft");
    const int writes = settings.writes.value(QStringLiteral("watermarkPosition"));
    click(section->cornerButtons()[2]);
    EXPECT_EQ(settings.writes.value(QStringLiteral("watermarkPosition")), writes + 1);
    EXPECT_TRUE(section->cornerButtons()[2]->isSelected());
    EXPECT_FALSE(section->cornerButtons()[3]->isSelected());
    EXPECT_EQ(doc->undoCount(), undo);

    // Turning the watermark off keeps the brand.
    click(section->watermarkToggle());
    EXPECT_EQ(prefs->watermarkPosition(), WatermarkPosition::bottomLeft);
}

TEST_F(InspectorWatermark, BrandNameIsStoredAfterThePauseInTyping)
{
    BeautifySettings on = BeautifySettings::defaults();
    on.watermark = true;
    open(on);
    InspectorField* field = view->watermarkSection()->brandField();
    QTest::keyClicks(field, QStringLiteral("Acme"));
    EXPECT_EQ(prefs->watermarkText(), "Acme");
    // Right-to-left text and emoji arrive through the input method as one commit.
    const QString mixed = QStringLiteral("مرحبا 🚀 Acme");
    field->selectAll();
    typeCommitted(field, mixed);
    EXPECT_EQ(prefs->watermarkText(), mixed);
    EXPECT_EQ(settings.writes.value(QStringLiteral("watermarkText")), 0);
    ASSERT_TRUE(waitUntil([this] { return settings.writes.value(QStringLiteral("watermarkText")) > 0; }, 2000));
    EXPECT_EQ(settings.writes.value(QStringLiteral("watermarkText")), 1);
    EXPECT_EQ(settings.value(QStringLiteral("watermarkText")).toString(), mixed);

    // A change made elsewhere shows in the field; the field then writes nothing back.
    prefs->setWatermarkText(QStringLiteral("Other"));
    EXPECT_EQ(field->text(), "Other");
}

// The brand is shared: the editor's render and the notch panel's render of another shot both
// draw the name typed here.
TEST(InspectorWatermarkShared, RendersOfEveryShotShowANewBrandName)
{
    Preferences& prefs = Preferences::shared();
    const QString saved = prefs.watermarkText();
    const QImage savedLogo = prefs.watermarkLogo();
    prefs.setWatermarkLogo(QImage());
    prefs.setWatermarkText(QString());

    BeautifySettings on = BeautifySettings::defaults();
    on.watermark = true;
    on.background = BackgroundPreset::noir;
    FakeSensitiveTextScan scan;
    auto editorDoc = makeDocument(scan, DetectionResult {}, on);
    auto notchDoc = makeDocument(scan, DetectionResult {}, on, flatImage(300, 200, QColor(30, 120, 200)));
    auto view = std::make_unique<InspectorView>(editorDoc.get(), nullptr, InspectorServices {});
    view->show();

    const QImage editorBefore = renderDocumentImage(*editorDoc);
    const QImage notchBefore = renderDocumentImage(*notchDoc);
    QTest::keyClicks(view->watermarkSection()->brandField(), QStringLiteral("Zephyr Industries"));
    const QImage editorAfter = renderDocumentImage(*editorDoc);
    const QImage notchAfter = renderDocumentImage(*notchDoc);
    ASSERT_EQ(editorBefore.size(), editorAfter.size());
    ASSERT_EQ(notchBefore.size(), notchAfter.size());
    EXPECT_NE(editorBefore, editorAfter);
    EXPECT_NE(notchBefore, notchAfter);
    // The change is in the watermark's corner (bottom right by default), not elsewhere.
    const auto corner = [](const QImage& i) { return QRect(i.width() * 3 / 5, i.height() * 4 / 5, i.width() * 2 / 5 - 1, i.height() / 5 - 1); };
    const auto opposite = [](const QImage& i) { return QRect(0, 0, i.width() / 3, i.height() / 5); };
    EXPECT_NE(meanColor(notchBefore, corner(notchBefore)), meanColor(notchAfter, corner(notchAfter)));
    EXPECT_EQ(meanColor(notchBefore, opposite(notchBefore)), meanColor(notchAfter, opposite(notchAfter)));

    view.reset();
    prefs.setWatermarkText(saved);
    prefs.setWatermarkLogo(savedLogo);
    prefs.flushWatermarkText();
    prefs.waitForFileWrites();
}

// The desktop's dialog opens without blocking and reports only a chosen file.
TEST(InspectorLogoPicker, OpensWithoutBlockingAndReportsOnlyAChoice)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("logo.png"));
    writeFile(path, pngBytes(QSize(6, 6), Qt::red));
    QWidget window;
    window.show();
    QStringList chosen;
    const auto picker = InspectorWatermarkSection::systemLogoPicker();
    const auto findDialog = [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible())
                return dialog;
        }
        return static_cast<QFileDialog*>(nullptr);
    };

    picker(&window, [&chosen](const QString& p) { chosen.append(p); });
    QFileDialog* dialog = findDialog(); // we got here: the call returned with the dialog open
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->windowTitle(), "Choose a logo for your watermark");
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept");
    EXPECT_EQ(chosen, QStringList { path });

    picker(&window, [&chosen](const QString& p) { chosen.append(p); });
    dialog = findDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    QCoreApplication::processEvents();
    EXPECT_EQ(chosen.size(), 1);
}
