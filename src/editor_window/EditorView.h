#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class EditorDocument;
class QLabel;

// The editor's root view for one document. (The full editor window arrives later; this view
// shows the styled canvas and offers the copy actions, with the same inputs and outputs.)
class EditorView : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> copy;           // AppState::copyBeautifiedImage
        std::function<void()> copyAndClose;   // AppState::instantCopyBeautified
    };

    EditorView(std::shared_ptr<EditorDocument> document, Actions actions, QWidget* parent = nullptr);

    std::shared_ptr<EditorDocument> document() const { return m_document; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void fit();

    std::shared_ptr<EditorDocument> m_document;
    QLabel* m_canvas;
    QImage m_rendered;
};
