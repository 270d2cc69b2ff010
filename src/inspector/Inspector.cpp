#include "inspector/Inspector.h"

#include "editor/EditorDocument.h"
#include "model/PresetStore.h"
#include "platform/PlatformTexts.h"

#include <QCoreApplication>

#include <cmath>
#include <limits>

namespace {
QString tr(const char* text) { return QCoreApplication::translate("Inspector", text); }

// Truncated toward zero and pinned to the 64-bit range; not-a-number reads 0.
qint64 truncated(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kLimit = 9223372036854775808.0; // 2^63, exact in a double
    const double whole = std::trunc(value);
    if (whole >= kLimit)
        return std::numeric_limits<qint64>::max();
    if (whole < -kLimit)
        return std::numeric_limits<qint64>::min();
    return qint64(whole);
}

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// A name of only white space or invisible marks (no-break, ideographic, zero-width spaces)
// would be an empty line in the presets menu.
bool hasVisibleCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (!c.isSpace() && c.category() != QChar::Other_Format && c.category() != QChar::Other_Control)
            return true;
    }
    return false;
}
}

Inspector::Inspector(EditorDocument* document, PresetStore& presets, Preferences& preferences)
    : m_document(document)
    , m_presets(presets)
    , m_preferences(preferences)
{
}

void Inspector::write(const std::function<void(BeautifySettings&)>& change)
{
    if (!m_document)
        return;
    BeautifySettings settings = m_document->settings();
    change(settings);
    m_document->setSettings(settings);
}

void Inspector::press(const std::function<void(BeautifySettings&)>& change)
{
    if (!m_document)
        return;
    m_document->pushUndo();
    write(change);
}

// ---- presets ------------------------------------------------------------------------------

QString Inspector::presetsMenuTitle() const
{
    const QList<StylePreset>& presets = m_presets.presets();
    if (m_document) {
        if (const auto name = m_document->selectedPresetName()) {
            for (const StylePreset& preset : presets) {
                if (preset.name == *name)
                    return preset.name;
            }
        }
        const BeautifySettings settings = m_document->settings();
        for (const StylePreset& preset : presets) {
            if (preset.settings == settings)
                return preset.name;
        }
    }
    return tr("Presets");
}

void Inspector::applyPreset(const StylePreset& preset)
{
    if (!m_document)
        return;
    m_document->pushUndo();
    // Kinds hidden now stay hidden, those the preset hides join them, and the shot keeps its crop.
    m_document->applyStyle(preset.settings);
    m_document->setSelectedPresetName(preset.name);
}

QString Inspector::trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool Inspector::savePreset(const QString& name)
{
    const QString trimmed = trimBlanks(name);
    if (!hasVisibleCharacter(trimmed) || !m_document)
        return false;
    m_presets.add(trimmed, m_document->settings());
    m_document->setSelectedPresetName(trimmed);
    return true;
}

// ---- style and image ------------------------------------------------------------------------

void Inspector::beginSliderDrag()
{
    if (m_document)
        m_document->pushUndo();
}

void Inspector::setPadding(double value)
{
    write([value](BeautifySettings& s) { s.padding = value; });
}

void Inspector::setRadius(double value)
{
    write([value](BeautifySettings& s) { s.radius = value; });
}

void Inspector::setShadow(double value)
{
    write([value](BeautifySettings& s) { s.shadow = value; });
}

void Inspector::resetStyle()
{
    if (!m_document)
        return;
    const BeautifySettings& defaults = BeautifySettings::defaults();
    m_document->pushUndo();
    write([&](BeautifySettings& s) { s.padding = defaults.padding; });
    write([&](BeautifySettings& s) { s.radius = defaults.radius; });
    write([&](BeautifySettings& s) { s.shadow = defaults.shadow; });
}

void Inspector::setRemoveBackground(bool on)
{
    press([on](BeautifySettings& s) { s.removeBackground = on; });
}

void Inspector::toggleFlipH()
{
    press([](BeautifySettings& s) { s.flipH = !s.flipH; });
}

void Inspector::toggleFlipV()
{
    press([](BeautifySettings& s) { s.flipV = !s.flipV; });
}

void Inspector::resetCrop()
{
    press([](BeautifySettings& s) { s.cropRect = QRectF(0, 0, 1, 1); });
}

bool Inspector::isCropped(const BeautifySettings& settings)
{
    const QRectF r = settings.cropRect.normalized();
    constexpr double kTolerance = 0.001;
    return std::abs(r.x()) > kTolerance || std::abs(r.y()) > kTolerance || std::abs(r.width() - 1) > kTolerance
        || std::abs(r.height() - 1) > kTolerance;
}

QString Inspector::paddingText(double value)
{
    return QString::number(truncated(value)) + QLatin1Char('%');
}

QString Inspector::radiusText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    return QString::number(truncated(std::round(value))); // std::round: halves away from zero
}

QString Inspector::hundredthsText(double value)
{
    const qint64 whole = truncated(value * 100);
    // "Without a sign": magnitudes only (a model value below zero is not the slider's).
    return QString::number(whole == std::numeric_limits<qint64>::min() ? std::numeric_limits<qint64>::max()
                                                                       : std::abs(whole));
}

// ---- background -----------------------------------------------------------------------------

void Inspector::selectBackground(BackgroundPreset preset)
{
    press([preset](BeautifySettings& s) { s.background = preset; });
}

QString Inspector::backgroundCaption(BackgroundPreset preset)
{
    const QString raw = rawValue(preset);
    if (raw.isEmpty())
        return raw;
    return raw.left(1).toUpper() + raw.mid(1).toLower();
}

// ---- window frame and aspect ------------------------------------------------------------------

void Inspector::setWindowFrame(WindowFrameStyle frame)
{
    press([frame](BeautifySettings& s) { s.windowFrame = frame; });
}

void Inspector::setShowURL(bool on)
{
    press([on](BeautifySettings& s) { s.showURL = on; });
}

void Inspector::setURLText(const QString& text)
{
    write([&text](BeautifySettings& s) { s.urlText = text; });
}

void Inspector::setAspect(AspectRatioOption aspect)
{
    press([aspect](BeautifySettings& s) { s.aspect = aspect; });
}

void Inspector::setBalance(bool on)
{
    press([on](BeautifySettings& s) { s.balance = on; });
}

// ---- sensitive info ---------------------------------------------------------------------------

QList<RedactionKind> Inspector::listedKinds() const
{
    QList<RedactionKind> kinds;
    if (!m_document)
        return kinds;
    const auto counts = m_document->redactionCounts();
    for (RedactionKind kind : allCases<RedactionKind>) {
        const auto it = counts.find(kind);
        if (it != counts.end() && it->second > 0)
            kinds.append(kind);
    }
    return kinds;
}

bool Inspector::showsRedactionSection() const
{
    // A failed scan is shown too: the section is where the user learns nothing was hidden.
    return m_document
        && (!listedKinds().isEmpty() || !m_document->manualRedactions().isEmpty() || m_document->scanFailed());
}

bool Inspector::showsRedactionStyleControls() const
{
    return m_document && (!m_document->settings().redactKinds.empty() || !m_document->manualRedactions().isEmpty());
}

void Inspector::toggleRedactionKind(RedactionKind kind)
{
    write([kind](BeautifySettings& s) {
        if (!s.redactKinds.erase(kind))
            s.redactKinds.insert(kind);
    });
}

void Inspector::selectRedactStyle(RedactStyle style)
{
    press([style](BeautifySettings& s) { s.redactStyle = style; });
}

void Inspector::setRedactIntensity(double value)
{
    write([value](BeautifySettings& s) { s.redactIntensity = value; });
}

QString Inspector::redactionKindLabel(RedactionKind kind)
{
    switch (kind) {
    case RedactionKind::email: return tr("Emails");
    case RedactionKind::phone: return tr("Phone numbers");
    case RedactionKind::card: return tr("Card numbers");
    case RedactionKind::ip: return tr("IP addresses");
    case RedactionKind::money: return tr("Money amounts");
    case RedactionKind::apiKey: return tr("API keys");
    }
    return {};
}

QString Inspector::redactStyleCaption(RedactStyle style)
{
    switch (style) {
    case RedactStyle::blur: return tr("Blur");
    case RedactStyle::pixelate: return tr("Pixelate");
    case RedactStyle::block: return tr("Block");
    }
    return {};
}

QString Inspector::manualRedactionNote(qsizetype drawn)
{
    if (drawn > 0)
        return QString::number(drawn) + platformText(" drawn · Select to drag, ⌫ to delete.");
    return tr("Tip: use the Blur tool to hide any area yourself.");
}

// ---- watermark ------------------------------------------------------------------------------

void Inspector::setWatermark(bool on)
{
    write([on](BeautifySettings& s) { s.watermark = on; });
}
