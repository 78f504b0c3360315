#pragma once

// One rule for every file the programs rewrite (the settings file, Orvane.ini, profile files, copies):
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
// Plain C++: orvane-wake writes Orvane.ini by it too. Paths are the system's bytes.

#include "core/io/Fd.h"

#include <string>
#include <string_view>

#include <sys/stat.h>

namespace orvane {

// Why path must not be written; empty when it may be or doesn't exist.
std::string safeWriteRefusal(const std::string &path);

// Writes bytes as the file's whole new content by the rule above. False with a reason on failure.
bool writeFileSafely(const std::string &path, std::string_view bytes, std::string *error = nullptr);

// The file that a write of a path reaches: the path itself, or where its links lead.
struct SafeTarget {
    std::string path;
    bool exists = false;
    struct stat st {};
};

// A file's new content on its way in, by the rule above: open, write as often as needed, commit.
// Destroyed before its commit, it leaves the old file as it was.
class SafeReplacement {
public:
    SafeReplacement() = default;
    SafeReplacement(const SafeReplacement &) = delete;
    SafeReplacement &operator=(const SafeReplacement &) = delete;
    ~SafeReplacement();

    bool open(const std::string &path);
    bool write(const char *data, size_t size);
    // The permissions and modification time the file gets with its new content (a copy's of its
    // source), set on the open file: through its name they could reach whatever is put there. Given
    // before open(), so that a private source's copy is private from its first byte.
    void keepModeAndTime(const struct stat &from);
    bool commit();

    std::string error; // why the last step failed

private:
    bool fail(const std::string &why);
    mode_t createMode() const;
    bool setModeAndTime(int fd) const;
    bool commitInPlace();

    std::string m_name;
    SafeTarget m_target;
    bool m_inPlace = false;
    Fd m_fd;
    std::string m_temp; // the new file beside the old, until it is renamed
    long long m_size = 0;
    std::string m_content; // the new content of a file written in place
    bool m_keep = false;
    mode_t m_mode = 0;
    timespec m_modified{};
};

} // namespace orvane
