#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Why a file could not be written: the system's error number and the file it concerned.
struct FileWriteFailure {
    int error = 0; // errno
    QString path;

    // The system's own words: "No space left on device".
    QString systemText() const;
    // For the log: "cannot write /home/a/shot.png: No space left on device".
    QString logText() const;
    // The same in the user's words, to follow a colon in a message: "the disk is full".
    QString reason() const;
};

// An errno value in the user's words ("the disk is full", "the folder no longer exists"); the
// system's own text for the rare ones.
QString fileErrorInWords(int error);

// Replaces the file at `path` with `data` through a temporary file in the same folder that is
// renamed over it only when every byte reached the disk: each write, the sync and the close are
// checked before the rename, and the errno of the step that failed comes back (Qt 6.4's
// QSaveFile::commit() renames a short file into place after a failed buffered write, and says
// "Unknown error" about a failed flush). On any error the old file stays as it was and the
// temporary file is removed. A symbolic link stays a link: its target is replaced. An existing
// file keeps its permissions. The folder must exist. Safe on any thread.
std::optional<FileWriteFailure> writeFileAtomically(const QString& path, const QByteArray& data);

// Makes the folder and any missing parents.
std::optional<FileWriteFailure> makeFolder(const QString& path);

// Removes the file; one that is already gone is no failure.
std::optional<FileWriteFailure> removeFile(const QString& path);
