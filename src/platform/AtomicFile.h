#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Replaces the file at `path` with `data` through a temporary file in the same folder that is
// renamed over it only when every byte reached the disk: the write and an explicit flush are both
// checked before the rename, because Qt 6.4's QSaveFile::commit() reports success (and renames a
// short file into place) when a buffered write fails inside it, as on a full disk. On any error
// the old file stays as it was and the reason comes back in plain words ("No space left on
// device"); none on success. The folder must exist. Safe on any thread.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& data);
