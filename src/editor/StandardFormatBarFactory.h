#pragma once

#include "editor/FormatBarFactory.h"

// Builds the text, highlight and shape format bars for the editing layer.
class StandardFormatBarFactory final : public FormatBarFactory {
public:
    QWidget* createTextBar(const FormatBarContext& context) override;
    QWidget* createHighlightBar(const FormatBarContext& context) override;
    QWidget* createShapeBar(const FormatBarContext& context) override;
};
