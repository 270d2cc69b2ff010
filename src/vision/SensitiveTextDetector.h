#pragma once

#include "model/BeautifySettings.h"
#include "model/DetectionOutcome.h"
#include "model/RedactionKind.h"
#include "vision/TextRecognizer.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// One match of a kind's pattern in a line: `start` and `length` in UTF-16 units.
struct SensitiveMatch {
    RedactionKind kind;
    qsizetype start = 0;
    qsizetype length = 0;

    bool operator==(const SensitiveMatch& other) const = default;
};

// Every match in one line: kinds in declaration order, each kind's matches in text order.
QList<SensitiveMatch> findSensitiveMatches(const QString& line);

// The pattern of a kind, exactly as the detector compiles it (case-insensitive).
QString sensitivePattern(RedactionKind kind);

// The rectangles of each kind found in recognised lines: per line, per kind in declaration order,
// per match in text order; each match's box is the union of the boxes of its characters and of
// the rest of the token it lies in (a bracket glued between letters or digits belongs to it,
// unless it opens before the match), or the line's box when they have none; grown by 0.004 left
// and right, and by 0.006 or, where more, 0.15 of its height above and 0.4 below; not clamped.
// A box over one already found for the kind (a line the recogniser read twice) is united with it
// rather than added. Addresses the page already masked are left out; what shows of a card number,
// key or address that the image's left or right edge cuts is found as well, after the line's
// matches, its box reaching the edge.
DetectionResult detectSensitiveText(const QList<RecognizedLine>& lines);

// `settings` with every kind that `detections` found switched on: a style applied to a scanned
// shot (a preset, the automatic style) must never uncover what the scan hid.
BeautifySettings withDetectedKinds(BeautifySettings settings, const DetectionResult& detections);

// Recognises the text of `image` off the main thread, detects sensitive text in it and calls
// `completion` on the main thread exactly once, unless `receiver` is destroyed first (a null
// receiver stands for the application). A recognition that fails or throws completes as a
// failure, with its reason logged (once while the reason stays the same); a null image, which
// has nothing to show, completes with an empty result after one log line. Returns at once;
// never blocks the main thread.
void runSensitiveTextDetection(const QImage& image, QObject* receiver,
    std::function<void(DetectionOutcome)> completion);
// The same with a recogniser of the caller's choosing (tests); it must outlive the detection.
void runSensitiveTextDetection(const QImage& image, QObject* receiver,
    std::function<void(DetectionOutcome)> completion, TextRecognizer& recognizer);
