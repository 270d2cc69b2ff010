#pragma once

#include <QWidget>

class BackgroundSwatchGrid;
class Inspector;

// The Background tab's content: the title and the swatch grid.
class InspectorBackgroundSection : public QWidget {
    Q_OBJECT
public:
    InspectorBackgroundSection(Inspector& inspector, QWidget* parent = nullptr);

    BackgroundSwatchGrid* grid() const { return m_grid; }

private:
    BackgroundSwatchGrid* m_grid;
};
