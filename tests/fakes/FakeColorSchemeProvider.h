#pragma once

#include "platform/ColorScheme.h"

// A scheme the test sets; `set` announces a change like the desktop would.
class FakeColorSchemeProvider final : public ColorSchemeProvider {
    Q_OBJECT
public:
    explicit FakeColorSchemeProvider(ColorScheme scheme = ColorScheme::light)
        : m_scheme(scheme)
    {
    }
    ColorScheme current() const override { return m_scheme; }
    void set(ColorScheme scheme)
    {
        if (scheme == m_scheme)
            return;
        m_scheme = scheme;
        Q_EMIT changed(scheme);
    }

private:
    ColorScheme m_scheme;
};
