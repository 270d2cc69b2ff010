#pragma once

#include <QWidget>

#include <functional>

class CaptureManager;
class QLabel;

// The main window's content while no document is open: paste, open a file, or drop an image.
// (The full empty state arrives later; this view keeps its inputs and outputs.)
class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    EmptyStateView(CaptureManager& capture, std::function<void()> paste, QWidget* parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void updateNotice();

    CaptureManager& m_capture;
    QLabel* m_notice;
};
