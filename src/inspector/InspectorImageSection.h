#pragma once

#include <QWidget>

class Inspector;
class InspectorCheckbox;
class InspectorChip;
class InspectorLabel;

// "Image": background removal, the two flips and the crop status with its Reset.
class InspectorImageSection : public QWidget {
    Q_OBJECT
public:
    InspectorImageSection(Inspector& inspector, QWidget* parent = nullptr);

    InspectorCheckbox* removeBackgroundToggle() const { return m_removeBackground; }
    InspectorChip* flipHChip() const { return m_flipH; }
    InspectorChip* flipVChip() const { return m_flipV; }
    QWidget* croppedLine() const { return m_croppedLine; }
    InspectorChip* resetCropButton() const { return m_resetCrop; }
    InspectorLabel* cropHint() const { return m_cropHint; }

    void refresh();

private:
    Inspector& m_inspector;
    InspectorCheckbox* m_removeBackground;
    InspectorChip* m_flipH;
    InspectorChip* m_flipV;
    QWidget* m_croppedLine;
    InspectorChip* m_resetCrop;
    InspectorLabel* m_cropHint;
};
