#pragma once

#include "model/RedactionKind.h"

#include <QString>

#include <map>

// How many items of each kind were hidden, worded for the notch panel.
struct RedactionSummary {
    std::map<RedactionKind, int> counts;

    int total() const;
    QString message() const;

    bool operator==(const RedactionSummary& other) const = default;
};
