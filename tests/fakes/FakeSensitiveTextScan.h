#pragma once

#include "editor/EditorDocument.h"

#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>

// A sensitive-text scan that only records its start; the test delivers the result when it likes
// with finish(). Deliberately ignores the receiver, so the document's own guard is what is tested.
class FakeSensitiveTextScan {
public:
    SensitiveTextScan scan()
    {
        return [state = m_state](const QImage& image, QObject* receiver, std::function<void(DetectionOutcome)> done) {
            ++state->starts;
            state->image = image;
            state->receiver = receiver;
            state->completion = std::move(done);
        };
    }

    int starts() const { return m_state->starts; }
    QImage image() const { return m_state->image; }
    QObject* receiver() const { return m_state->receiver.data(); }
    bool pending() const { return bool(m_state->completion); }

    // Delivers `result` as the scan's one completion.
    void finish(const DetectionResult& result)
    {
        auto done = std::exchange(m_state->completion, {});
        if (done)
            done(result);
    }
    // Ends the scan as one that could not run.
    void fail(const QString& why)
    {
        auto done = std::exchange(m_state->completion, {});
        if (done)
            done(DetectionOutcome::failure(why));
    }

private:
    struct State {
        int starts = 0;
        QImage image;
        QPointer<QObject> receiver;
        std::function<void(DetectionOutcome)> completion;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
