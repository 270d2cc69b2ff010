#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the owner of the X server's CLIPBOARD selection handed over.
struct ClipboardOffer {
    enum class Outcome {
        received, // `bytes` of `type`
        nothing, // no owner, or none of the wanted types on offer
        stalled, // the owner stopped answering (or went away) before the transfer ended
        failed, // no connection, or more than the bytes allowed; `detail` says which
    };
    Outcome outcome = Outcome::nothing;
    QByteArray type;
    QByteArray bytes;
    bool stalledOnData = false; // the owner stopped while sending the data itself, not its list of types
    QString detail; // for the log
};

// Reads the clipboard over a connection of its own, blocking only the calling thread (a worker):
// the first of the owner's types that is among `imageTypes`, else its "text/uri-list". Each
// answer of the owner is waited for at most `stepTimeoutMs`; large transfers (INCR) are followed
// chunk by chunk, each chunk with the same bound. More than `maxBytes` fails.
ClipboardOffer readX11Clipboard(const QList<QByteArray>& imageTypes, int stepTimeoutMs, qint64 maxBytes);
