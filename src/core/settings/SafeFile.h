#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// The safe write of record/SafeWrite.h for Qt's paths (the file name encoding) and texts.

// Why path must not be written; empty when it may be or doesn't exist.
QString replaceRefusal(const QString &path);

// Writes bytes as the file's whole new content by the rule above. False with a reason on failure.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Copies the regular file `from` onto `to` by the same rule; `to` gets the source's permissions and
// modification time, set before it takes the name. False with a reason on failure.
bool copyWholeFile(const QString &from, const QString &to, QString *error = nullptr);

} // namespace orvane
