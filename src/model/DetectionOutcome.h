#pragma once

#include "model/RedactionKind.h"

#include <QString>

#include <utility>

// What one sensitive-text scan gives: the rectangles it found, or a failure. A scan that could
// not run (no model, an engine that threw) did not find "nothing": `failed` is set, `why` says
// why, and whoever shows the shot must say that its text was not checked.
struct DetectionOutcome {
    DetectionResult found;
    bool failed = false;
    QString why;

    DetectionOutcome() = default;
    // A scan that ran; implicit, so a found map is an outcome wherever one is expected.
    DetectionOutcome(DetectionResult result)
        : found(std::move(result))
    {
    }
    static DetectionOutcome failure(QString why)
    {
        DetectionOutcome outcome;
        outcome.failed = true;
        outcome.why = std::move(why);
        return outcome;
    }

    bool didFail() const { return failed; }

    bool operator==(const DetectionOutcome& other) const = default;
};
