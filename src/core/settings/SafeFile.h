#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// One rule for every file the program rewrites (the settings file, profile files, copies):
// - a symbolic link is written through only when every link on the way and the file it leads to
//   belong to the user running the program: a link planted by someone else (to the file or to a
//   folder on the way; the system's own, root's, may lead to folders), or one that leads to
//   somebody else's file, is refused, as is anything that isn't a regular file or is read-only;
// - a file that is the user's alone is replaced: the new content is written beside it and renamed
//   over it once complete;
// - it is written in place when its folder refuses a new file, when it belongs to another user (so
//   it stays theirs) and when it has several names in a folder of the user's (so they stay one file);
// - whichever way, a failure (a full disk, a file size limit) leaves the old file byte for byte as
//   it was and no new file beside it.

// Why path must not be written; empty when it may be or doesn't exist.
QString replaceRefusal(const QString &path);

// Writes bytes as the file's whole new content by the rule above. False with a reason on failure.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Copies the regular file `from` onto `to` by the same rule; `to` gets the source's permissions and
// modification time, set before it takes the name. False with a reason on failure.
bool copyWholeFile(const QString &from, const QString &to, QString *error = nullptr);

} // namespace orvane
