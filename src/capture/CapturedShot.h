#pragma once

#include <QDateTime>
#include <QImage>
#include <QMetaType>
#include <QString>
#include <QUuid>

// One shot as every part of the application passes it around. Two shots are the same shot when
// their identifiers are.
struct CapturedShot {
    QUuid id;
    QImage image; // known to be valid
    QString filePath; // the file it came from; empty for a pasted image
    QDateTime date; // when the shot was made (not the file's date)

    bool operator==(const CapturedShot& other) const { return id == other.id; }

    // A new shot: fresh identifier, made now.
    static CapturedShot make(QImage image, QString filePath = {});
};

Q_DECLARE_METATYPE(CapturedShot)

// The shot's title: its file's name, else "Screenshot <MMM d, HH.mm.ss>.png".
QString shotFileName(const CapturedShot& shot);
