#pragma once

#include <QWidget>

class Inspector;
class InspectorChip;
class LumaSlider;

// "Style": the title with Reset, and the padding, corner and shadow sliders.
class InspectorStyleSection : public QWidget {
    Q_OBJECT
public:
    InspectorStyleSection(Inspector& inspector, QWidget* parent = nullptr);

    LumaSlider* paddingSlider() const { return m_padding; }
    LumaSlider* radiusSlider() const { return m_radius; }
    LumaSlider* shadowSlider() const { return m_shadow; }
    InspectorChip* resetButton() const { return m_reset; }

    // Shows the document's values without running any control's action.
    void refresh();

private:
    Inspector& m_inspector;
    InspectorChip* m_reset;
    LumaSlider* m_padding;
    LumaSlider* m_radius;
    LumaSlider* m_shadow;
};
