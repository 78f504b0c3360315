#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Why an existing path must not be replaced: not a regular file, marked read-only by its mode bits
// (honoured even where the process could override them, as root can), or not writable. Empty when
// it may be replaced or doesn't exist.
QString replaceRefusal(const QString &path);

// Writes bytes as the file's whole new content: written beside the old file and renamed over it only
// when complete, so a failure leaves the old file as it was. directWriteFallback lets a writable file
// in a folder without create rights be written in place. False with a reason on failure.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                    bool directWriteFallback = false);

} // namespace orvane
