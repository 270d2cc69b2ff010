#pragma once

#include <QWidget>

class Inspector;
class InspectorCheckbox;
class InspectorField;
class LumaSegmented;

// "Window frame": the frame picker, and while a frame is shown the "URL bar" switch and, while
// that is on, the address field.
class InspectorFrameSection : public QWidget {
    Q_OBJECT
public:
    InspectorFrameSection(Inspector& inspector, QWidget* parent = nullptr);

    LumaSegmented* framePicker() const { return m_frame; }
    InspectorCheckbox* urlToggle() const { return m_url; }
    InspectorField* urlField() const { return m_field; }

    void refresh();

private:
    Inspector& m_inspector;
    LumaSegmented* m_frame;
    InspectorCheckbox* m_url;
    InspectorField* m_field;
};
