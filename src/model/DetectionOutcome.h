#pragma once

#include "model/RedactionKind.h"

#include <QString>

#include <optional>
#include <utility>

// What one sensitive-text scan gives: the rectangles it found, or a failure. A scan that could
// not run (no model, an engine that threw) did not find "nothing": `failure` says why, and
// whoever shows the shot must say that its text was not checked.
struct DetectionOutcome {
    DetectionResult found;
    std::optional<QString> failure;

    DetectionOutcome() = default;
    // A scan that ran; implicit, so a found map is an outcome wherever one is expected.
    DetectionOutcome(DetectionResult result)
        : found(std::move(result))
    {
    }
    static DetectionOutcome failed(QString why)
    {
        DetectionOutcome outcome;
        outcome.failure = std::move(why);
        return outcome;
    }

    bool didFail() const { return failure.has_value(); }

    bool operator==(const DetectionOutcome& other) const = default;
};
