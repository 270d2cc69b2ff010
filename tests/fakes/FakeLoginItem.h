#pragma once

#include "platform/LoginItem.h"

#include <cerrno>

class FakeLoginItem final : public LoginItem {
public:
    bool apply(bool enabled, FileWriteFailure* failure) override
    {
        ++calls;
        if (failWith == 0) {
            registered = enabled;
            return true;
        }
        if (failure)
            *failure = { failWith, QStringLiteral("/autostart/lumaforge.desktop") };
        return false;
    }
    bool isRegistered() const override { return registered; }

    bool registered = false;
    int calls = 0;
    int failWith = 0; // an errno value
};
