#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>

// The current local date and time as used in file names: "yyyy-MM-dd 'at' HH.mm.ss".
QString screenshotDateString();

// Whether the export was written; when a write failed, why.
using ExportCompletion = std::function<void(bool written, const std::optional<FileWriteFailure>& failure)>;

// The export save dialog's completion. With the dialog accepted and a path chosen, writes `data`
// there atomically (an existing file is replaced only once the new one is complete) and reports
// true; a failed write logs "export failed: ..." with the system's error and reports false with
// the failure, leaving any existing file as it was. A cancelled dialog or no path writes nothing,
// logs nothing and reports false without a failure.
bool exportPNG(QDialog::DialogCode response, const QString& path, const QByteArray& data,
    const ExportCompletion& completion = {});

// Writes `image` as PNG for dragging out. Without a destination the file is
// "Lumaforge <date>.png" in a new folder of its own inside the private temporary folder, so two
// files written in the same second never replace each other; with one, that file is replaced
// atomically. Returns the file's path, or no value (encoding failures silently, write failures
// with the log line "temp file write failed: ..."). Touches no shared state: safe off the main
// thread.
std::optional<QString> writeTempPNG(const QImage& image, const std::optional<QString>& destination = std::nullopt);
// The same with the PNG bytes already encoded (empty bytes: encoding failed, nothing is written);
// a failed write also says why in `failure`.
std::optional<QString> writeTempPNGData(const QByteArray& png, const std::optional<QString>& destination = std::nullopt,
    FileWriteFailure* failure = nullptr);

// Removes a file written by writeTempPNG, and the folder made for it.
void removeTempPNG(const QString& path);

// Removes drag-out folders whose process no longer runs (left by a crash); returns how many.
int sweepStaleDragFolders();
