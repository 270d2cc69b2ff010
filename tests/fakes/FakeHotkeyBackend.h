#pragma once

#include "platform/HotkeyBackend.h"

#include <map>
#include <set>
#include <tuple>

// Records registrations; `refuse` makes a combination fail the way a combination that another
// application holds does.
class FakeHotkeyBackend final : public HotkeyBackend {
    Q_OBJECT
public:
    struct Registration {
        quint32 keyCode;
        quint32 modifiers;
        QString name;
    };

    int registerHotKey(quint32 id, const HotkeyBinding& binding) override
    {
        ++registerCalls;
        if (refused.count({ binding.keyCode, binding.carbonModifiers }))
            return refusedStatus;
        active[id] = { binding.keyCode, binding.carbonModifiers, binding.name };
        return 0;
    }
    QString unavailableReason() const override { return reason; }
    bool grabsKeys() const override { return grabs; }
    void unregisterHotKey(quint32 id) override
    {
        active.erase(id);
        unregistered.insert(id);
    }
    void press(quint32 id) { Q_EMIT pressed(id); }

    static constexpr int refusedStatus = 10;
    std::map<quint32, Registration> active;
    std::set<quint32> unregistered;
    std::set<std::pair<quint32, quint32>> refused;
    int registerCalls = 0;
    QString reason;
    bool grabs = true;
};
