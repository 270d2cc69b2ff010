#pragma once

#include <QWidget>

// A frameless top-level window that floats above ordinary windows on every desktop and never
// takes focus or activates the application (a tool window shown without activation). With
// click-through on, the pointer passes to whatever lies below it.
class FloatingPanel : public QWidget {
    Q_OBJECT
public:
    explicit FloatingPanel(bool clickThrough, QWidget* parent = nullptr);

    bool isClickThrough() const;
    void setClickThrough(bool on);

    // Shows and raises the panel without activating it.
    void present();
};
