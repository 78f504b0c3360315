#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Profile files ("[section]" lines followed by "key=value" lines) read and written the way the
// Windows private-profile functions do: section and key names matched without regard to case and
// to blanks around them, the first matching section and key win, lines starting with ";" are
// comments, a value loses the blanks around it and one pair of enclosing quotes.
//
// The files are code page 932, like "System.ini": profile files made by the Windows program on a
// Japanese system read the same here, and the byte limits of the readers mean the same bytes.
// A relative path names a file in the current directory (there is no Windows folder to look in).

// Files larger than this are neither read nor rewritten.
inline constexpr qint64 ProfileFileMaxBytes = 32 * 1024 * 1024;

// GetPrivateProfileString with a buffer of bufferSize bytes: at most bufferSize - 1 bytes of the
// value, cut before a double-byte character that wouldn't fit whole. Empty when nothing was read
// (no file, section or key, or an empty value).
QString readProfileString(const QString &path, const QString &section, const QString &key, int bufferSize);

// WritePrivateProfileString: creates the file or the section when missing and writes the file by
// SafeFile.h's rule, so a failure leaves it as it was. A read-only file, a missing folder, a link
// of another user and anything that isn't a regular file are left untouched and give false with a
// reason in `error`.
bool writeProfileString(const QString &path, const QString &section, const QString &key, const QString &value,
                        QString *error = nullptr);

} // namespace orvane
