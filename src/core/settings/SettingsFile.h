#pragma once

#include "core/settings/SettingsGrid.h"

#include <QByteArray>
#include <QString>

namespace orvane {

// The record file of a settings table; its layout and rules are RecordFormat.h's.

// The whole file for a table: 60 records of 20 bytes in code page 932, then, only when some field
// doesn't fit its record exactly, a trailer that carries those fields' whole text.
QByteArray encodeSettings(const SettingsGrid &grid);

// Reads every field from file bytes; records beyond the end read as 20 blanks. Any bytes at all are
// accepted: a broken sequence reads as U+FFFD per bad byte, a bad trailer is ignored.
void decodeSettings(const QByteArray &bytes, SettingsGrid &grid);

// Writes the file whole by SafeFile.h's rule: a failure leaves the old file as it was; a missing
// folder, a read-only file, a link of another user or anything that isn't a regular file is left
// untouched. On failure returns false with a reason in `error` (if given).
bool writeSettingsFile(const QString &path, const SettingsGrid &grid, QString *error = nullptr);

// Reads the file into grid. A missing file is created empty, so every field reads as 20 blanks.
// A path that can't be read as a regular file (a folder, a FIFO, no permission) keeps every field
// that has been loaded before; fields never loaded (20 NULs) become blanks. Never blocks, never
// writes an existing file.
void readSettingsFile(const QString &path, SettingsGrid &grid);

} // namespace orvane
