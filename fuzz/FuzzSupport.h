#pragma once

#include "core/Log.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QHash>

#include <cstdio>
#include <cstdlib>

// One application object for the whole run, and no log lines: the inputs are meant to be bad.
inline void startFuzzing()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = { name, nullptr };
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    setLogSink([](const QString&) {});
}

// A finding: the invariant is broken for this input.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

// Settings held in memory.
class MemorySettings final : public SettingsStore {
public:
    QVariant value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QVariant& value) override { m_values.insert(key, value); }
    void remove(const QString& key) override { m_values.remove(key); }

private:
    QHash<QString, QVariant> m_values;
};
