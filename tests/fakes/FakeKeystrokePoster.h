#pragma once

#include "platform/KeystrokeScreenshotTool.h"

#include <QElapsedTimer>
#include <QList>

// Records the chords posted and when; `trusted` false stands for a session without a way to
// press keys.
class FakeKeystrokePoster final : public KeystrokePoster {
public:
    struct Posted {
        KeyChord chord;
        qint64 atMs;
    };

    FakeKeystrokePoster() { clock.start(); }
    bool isAvailable() const override { return trusted; }
    QString explainUnavailable() const override { return QStringLiteral("no XTEST"); }
    void post(const KeyChord& chord) override { posted.append({ chord, clock.elapsed() }); }
    bool someoneListensFor(const KeyChord&) const override { return listened; }

    bool trusted = true;
    bool listened = true;
    QList<Posted> posted;
    QElapsedTimer clock;
};
