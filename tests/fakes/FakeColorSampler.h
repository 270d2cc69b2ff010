#pragma once

#include "platform/ColorSampler.h"

#include <QPointer>

#include <optional>

// A sampler the test answers: sample() only records the pick; answer() ends it as the user would,
// with a colour or (none) a cancel.
class FakeColorSampler final : public ColorSampler {
    Q_OBJECT
public:
    explicit FakeColorSampler(bool available = true)
        : m_available(available)
    {
    }
    bool isAvailable() const override { return m_available; }
    bool isSampling() const override { return m_running; }
    void sample(QObject* context, Picked picked, Finished finished) override
    {
        ++starts;
        m_running = true;
        m_request = { context, std::move(picked), std::move(finished) };
    }
    void answer(const std::optional<QColor>& color)
    {
        m_running = false;
        std::exchange(m_request, {}).end(color);
    }

    int starts = 0;

private:
    bool m_available;
    bool m_running = false;
    Request m_request;
};
