#pragma once

#include <QPoint>
#include <QWidget>

// The area behind a custom toolbar: pressing the mouse on it (not on a control inside it) drags
// the window. The window manager moves the window where it can; where it cannot (no window
// manager, or one without interactive moves) the area moves the window itself.
class WindowDragArea : public QWidget {
    Q_OBJECT
public:
    explicit WindowDragArea(QWidget* parent = nullptr);

    // Whether the last press was handed to the window manager.
    bool lastMoveWasSystemMove() const { return m_systemMove; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
    bool m_systemMove = false;
    QPoint m_pressGlobal;
    QPoint m_windowStart;
};
