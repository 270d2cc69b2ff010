#include "inspector/InspectorWatermarkSection.h"

#include "core/Async.h"
#include "core/Log.h"
#include "editor/EditorDocument.h"
#include "image/ImageFile.h"
#include "inspector/Inspector.h"
#include "inspector/InspectorCheckbox.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorField.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorLayout.h"
#include "inspector/InspectorPalette.h"
#include "model/Preferences.h"
#include "render/ContinuousCorners.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

namespace {
struct Corner {
    WatermarkPosition position;
    const char* symbol;
    const char* help;
};
constexpr Corner kCorners[] = {
    { WatermarkPosition::topLeft, "arrow.up.left", QT_TRANSLATE_NOOP("InspectorWatermarkSection", "Top left") },
    { WatermarkPosition::topRight, "arrow.up.right", QT_TRANSLATE_NOOP("InspectorWatermarkSection", "Top right") },
    { WatermarkPosition::bottomLeft, "arrow.down.left", QT_TRANSLATE_NOOP("InspectorWatermarkSection", "Bottom left") },
    { WatermarkPosition::bottomRight, "arrow.down.right", QT_TRANSLATE_NOOP("InspectorWatermarkSection", "Bottom right") },
};

// The logo fitted into 30 x 30 pt with 3 pt padding, or the photo symbol without one.
class LogoPreview final : public QWidget {
public:
    LogoPreview(Preferences& preferences, QWidget* parent)
        : QWidget(parent)
        , m_preferences(preferences)
    {
        setFixedSize(30, 30);
        Theme::followColorScheme(this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const ColorScheme scheme = Theme::colorScheme(this);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF box = rect();
        const QPainterPath shape = continuousRoundedRect(box, 7);
        p.fillPath(shape, InspectorPalette::fieldFill(scheme));
        const QImage logo = m_preferences.watermarkLogo();
        if (logo.isNull()) {
            Symbols::paint(p, u"photo", box.center(), 13, Theme::secondaryText(scheme));
        } else {
            p.save();
            p.setClipPath(shape);
            const QRectF area = box.adjusted(3, 3, -3, -3);
            QSizeF fitted = QSizeF(logo.size()).scaled(area.size(), Qt::KeepAspectRatio);
            const QRectF target(area.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
            // Scale once to the device size so a large logo is not resampled on every paint.
            const qreal dpr = devicePixelRatioF();
            const QSize pixels = (fitted * dpr).toSize().expandedTo(QSize(1, 1));
            if (m_cacheKey != logo.cacheKey() || m_scaled.size() != pixels) {
                m_scaled = logo.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                m_cacheKey = logo.cacheKey();
            }
            p.drawImage(target, m_scaled);
            p.restore();
        }
        p.setPen(QPen(InspectorPalette::fieldBorder(scheme), 1));
        p.drawPath(continuousRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 6.5));
    }

private:
    Preferences& m_preferences;
    QImage m_scaled;
    qint64 m_cacheKey = 0;
};

InspectorChip::Look cornerLook(const char* symbol)
{
    InspectorChip::Look look;
    look.symbol = QString::fromLatin1(symbol);
    look.symbolSize = 12;
    look.symbolWeight = QFont::Medium;
    look.selectedFill = InspectorChip::Fill::accentGradient;
    look.selectedBorder = false;
    return look;
}
}

InspectorWatermarkSection::InspectorWatermarkSection(Inspector& inspector, LogoPicker pickLogo, Toast toast, QWidget* parent)
    : QWidget(parent)
    , m_inspector(inspector)
    , m_pickLogo(pickLogo ? std::move(pickLogo) : systemLogoPicker())
    , m_toast(std::move(toast))
{
    Preferences& prefs = m_inspector.preferences();
    auto* layout = InspectorLayout::sectionLayout(this, 9);

    m_toggle = new InspectorCheckbox(tr("Watermark"), 13, this);
    m_toggle->setToolTip(tr("Add your own brand watermark, or turn it off"));
    layout->addWidget(m_toggle);
    connect(m_toggle, &InspectorCheckbox::clicked, this, [this] { m_inspector.setWatermark(!m_toggle->isOn()); });

    m_brand = new QWidget(this);
    auto* brand = new QVBoxLayout(m_brand);
    brand->setContentsMargins(0, 0, 0, 0);
    brand->setSpacing(9);

    m_name = new InspectorField(tr("Brand name"), m_brand);
    brand->addWidget(m_name);
    connect(m_name, &InspectorField::textEdited, this, [&prefs](const QString& text) { prefs.setWatermarkText(text); });

    auto* logoRow = new QHBoxLayout;
    logoRow->setContentsMargins(0, 0, 0, 0);
    logoRow->setSpacing(8);
    m_preview = new LogoPreview(prefs, m_brand);
    logoRow->addWidget(m_preview);
    m_upload = new InspectorChip(tr("Upload logo"), InspectorChip::textLook(11.5, QFont::Medium, InspectorChip::Ink::accent),
        m_brand);
    logoRow->addWidget(m_upload);
    m_remove = new InspectorChip(tr("Remove"), InspectorChip::textLook(11.5, QFont::Normal, InspectorChip::Ink::secondary),
        m_brand);
    logoRow->addWidget(m_remove);
    logoRow->addStretch(1);
    brand->addLayout(logoRow);
    connect(m_upload, &InspectorChip::clicked, this, &InspectorWatermarkSection::chooseWatermarkLogo);
    connect(m_remove, &InspectorChip::clicked, this, [&prefs] { prefs.setWatermarkLogo(QImage()); });

    auto* position = new QVBoxLayout;
    position->setContentsMargins(0, 0, 0, 0);
    position->setSpacing(6);
    position->addWidget(new InspectorLabel(tr("Position"), 12, QFont::Normal, InspectorLabel::Role::primary, m_brand));
    auto* corners = new QHBoxLayout;
    corners->setContentsMargins(0, 0, 0, 0);
    corners->setSpacing(6);
    for (const Corner& corner : kCorners) {
        auto* button = new InspectorChip(QString(), cornerLook(corner.symbol), m_brand);
        button->setToolTip(tr(corner.help));
        corners->addWidget(button, 1);
        const WatermarkPosition value = corner.position;
        connect(button, &InspectorChip::clicked, this, [&prefs, value] { prefs.setWatermarkPosition(value); });
        m_corners.append(button);
    }
    position->addLayout(corners);
    brand->addLayout(position);

    brand->addWidget(InspectorLabel::caption(
        tr("Shown in the corner of every export. Use a name, a logo, or both — leave the name blank for a logo only."),
        m_brand));
    layout->addWidget(m_brand);

    if (EditorDocument* doc = m_inspector.document())
        connect(doc, &EditorDocument::settingsChanged, this, &InspectorWatermarkSection::refresh);
    connect(&prefs, &Preferences::watermarkTextChanged, this, &InspectorWatermarkSection::refresh);
    connect(&prefs, &Preferences::watermarkLogoChanged, this, &InspectorWatermarkSection::refresh);
    connect(&prefs, &Preferences::watermarkLogoChanged, m_preview, qOverload<>(&QWidget::update));
    connect(&prefs, &Preferences::watermarkPositionChanged, this, &InspectorWatermarkSection::refresh);
    refresh();
}

InspectorWatermarkSection::LogoPicker InspectorWatermarkSection::systemLogoPicker()
{
    return [](QWidget* parent, std::function<void(const QString&)> chosen) {
        auto* dialog = new QFileDialog(parent ? parent->window() : nullptr, tr("Choose a logo for your watermark"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setNameFilters({ tr("PNG images (*.png)"), tr("JPEG images (*.jpg *.jpeg)"),
            tr("TIFF images (*.tif *.tiff)"), tr("Images (*.png *.jpg *.jpeg *.tif *.tiff *.bmp *.gif *.webp)") });
        dialog->selectNameFilter(dialog->nameFilters().constLast());
        dialog->setWindowModality(Qt::WindowModal);
        QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString& path) {
            if (!path.isEmpty())
                chosen(path);
        });
        dialog->open();
    };
}

void InspectorWatermarkSection::chooseWatermarkLogo()
{
    QPointer<InspectorWatermarkSection> self(this);
    m_pickLogo(this, [self](const QString& path) {
        if (self)
            self->loadChosenLogo(path);
    });
}

void InspectorWatermarkSection::loadChosenLogo(const QString& path, std::function<void()> done)
{
    runInBackground(
        QThreadPool::globalInstance(), this,
        [path] {
            // Say plainly when a picture is simply too big, before the reader refuses it vaguely.
            // Only regular files are opened here: a FIFO would block the reader.
            const QSize claimed = QFileInfo(path).isFile() ? QImageReader(path).size() : QSize();
            const qint64 limit = qint64(ImageFile::allocationLimitMiB) * 1024 * 1024 / 4;
            if (claimed.isValid() && qint64(claimed.width()) * claimed.height() > limit) {
                ImageFile::Result tooLarge;
                tooLarge.error = tr("the image is too large (%1 × %2 pixels)").arg(claimed.width()).arg(claimed.height());
                return tooLarge;
            }
            return ImageFile::read(path);
        },
        [this, path, done = std::move(done)](const ImageFile::Result& result) {
            if (result.ok()) {
                m_inspector.preferences().setWatermarkLogo(result.image);
            } else {
                logLine(QStringLiteral("cannot use %1 as the watermark logo: %2").arg(path, result.error));
                if (m_toast)
                    m_toast(tr("Can't use this file as a logo: %1").arg(result.error));
            }
            if (done)
                done();
        });
}

void InspectorWatermarkSection::refresh()
{
    const EditorDocument* doc = m_inspector.document();
    if (!doc)
        return;
    const Preferences& prefs = m_inspector.preferences();
    const bool on = doc->settings().watermark;
    m_toggle->setOn(on);
    m_brand->setVisible(on);
    m_name->syncText(prefs.watermarkText());
    const bool hasLogo = !prefs.watermarkLogo().isNull();
    m_upload->setTitle(hasLogo ? tr("Replace") : tr("Upload logo"));
    m_remove->setVisible(hasLogo);
    for (int i = 0; i < m_corners.size(); ++i)
        m_corners[i]->setSelected(kCorners[i].position == prefs.watermarkPosition());
}
