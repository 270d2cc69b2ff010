#pragma once

#include "platform/LoginItem.h"

class FakeLoginItem final : public LoginItem {
public:
    bool apply(bool enabled, QString* error) override
    {
        ++calls;
        if (failWith.isEmpty()) {
            registered = enabled;
            return true;
        }
        if (error)
            *error = failWith;
        return false;
    }
    bool isRegistered() const override { return registered; }

    bool registered = false;
    int calls = 0;
    QString failWith;
};
