#pragma once

#include <QPointer>
#include <QWidget>

// Placed anywhere in a window's content (the editor's toolbar carries it), this invisible widget
// configures the window that hosts it, each time it lands in a window: the window keeps the
// desktop's own decorations (window managers differ too much for a hidden title bar), takes its
// minimum size from its content, and never gets shorter than the toolbar it must show.
// Leaving a window changes nothing there.
class WindowConfigurator : public QWidget {
    Q_OBJECT
public:
    explicit WindowConfigurator(qreal toolbarHeight, QWidget* parent = nullptr);

    qreal toolbarHeight() const { return m_toolbarHeight; }
    // The window most recently configured (null before the first).
    QWidget* configuredWindow() const { return m_window; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attach();
    void applyMinimumSize();

    const qreal m_toolbarHeight;
    QPointer<QWidget> m_window;
};
