#include "core/record/SafeWrite.h"

#include "core/record/PlainText.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// A file written in place is held in memory twice (old and new content, the old one to put back).
constexpr long long InPlaceMaxBytes = 64 * 1024 * 1024;
constexpr int MaxLinkHops = 40;

std::string systemErrorText(int err)
{
    return systemError(err);
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string joined(const std::string &folder, const std::string &name)
{
    return folder == "/" ? folder + name : folder + '/' + name;
}

bool endsWith(const std::string &s, std::string_view end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> splitNames(const std::string &path)
{
    std::vector<std::string> names(1);
    for (char c : path) {
        if (c == '/')
            names.emplace_back();
        else
            names.back() += c;
    }
    return names;
}

// The folder above `folder`, which holds no links, so ".." may be taken by its text.
std::string parentOf(const std::string &folder)
{
    if (folder == "/")
        return folder;
    if (folder == "." || folder == ".." || endsWith(folder, "/.."))
        return folder == "." ? std::string("..") : folder + "/..";
    const size_t slash = folder.rfind('/');
    return slash == 0 ? std::string("/") : folder.substr(0, slash);
}

// Walks path name by name to the file a write of it reaches, following its links. A link to the
// file must be the user's and lead to a file of the user's. A link on the way to its folder must be
// the user's or the system's (root's, such as /var/run): root may change any file anyway, while
// another user's link to a folder of ours would let them choose which of our files is written.
std::string resolve(const std::string &path, SafeTarget &target)
{
    const uid_t me = ::geteuid();
    const std::string &given = path;
    std::string done = !given.empty() && given.front() == '/' ? std::string("/") : std::string(".");
    std::vector<std::string> todo = splitNames(given); // the names still to walk, the next one last
    std::reverse(todo.begin(), todo.end());
    const auto onlyDots = [](const std::vector<std::string> &names) {
        return std::all_of(names.begin(), names.end(), [](const std::string &n) { return n.empty() || n == "."; });
    };
    bool toFileByLink = false;
    int hops = 0;
    while (!todo.empty()) {
        const std::string name = todo.back();
        todo.pop_back();
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            done = parentOf(done);
            continue;
        }
        const bool last = onlyDots(todo);
        const std::string next = joined(done, name);
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0) {
            if (errno == ENOENT && last && !toFileByLink) {
                target = {next, false, {}};
                return {};
            }
            return errno == ENOENT && last ? path + " is a link to a file that doesn't exist"
                                           : path + ": " + systemErrorText(errno);
        }
        if (S_ISLNK(st.st_mode)) {
            if (last && st.st_uid != me)
                return path + " is a link of another user";
            if (!last && st.st_uid != me && st.st_uid != 0)
                return path + " leads through a folder link of another user";
            char to[PATH_MAX];
            const ssize_t n = ::readlink(next.c_str(), to, sizeof to);
            if (n <= 0 || n == static_cast<ssize_t>(sizeof to) || ++hops > MaxLinkHops)
                return path + ": the link can't be followed";
            const std::string link(to, static_cast<size_t>(n));
            if (link.front() == '/')
                done = "/";
            const std::vector<std::string> names = splitNames(link);
            todo.insert(todo.end(), names.rbegin(), names.rend());
            toFileByLink = toFileByLink || last;
            continue;
        }
        if (!last && !S_ISDIR(st.st_mode))
            return path + ": " + systemErrorText(ENOTDIR);
        done = next;
        if (last) {
            if (toFileByLink && st.st_uid != me)
                return path + " is a link to a file of another user";
            target = {next, true, st};
            return {};
        }
    }
    // A path that names a folder ("/", "a/..").
    struct stat st {};
    if (::lstat(done.c_str(), &st) != 0)
        return path + ": " + systemErrorText(errno);
    target = {done, true, st};
    return {};
}

std::string refusalOf(const std::string &path, SafeTarget &target)
{
    if (std::string why = resolve(path, target); !why.empty() || !target.exists)
        return why;
    if (!S_ISREG(target.st.st_mode))
        return path + " is not a regular file";
    // Mode bits, not access rights: a read-only file stays unwritten even for root.
    if (!(target.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        return path + " is read-only";
    if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0)
        return path + " is not writable";
    return {};
}

bool inPlaceWanted(const SafeTarget &target)
{
    const uid_t me = ::geteuid();
    if (target.st.st_nlink <= 1)
        return target.st.st_uid != me;
    // Only in a folder of the user's: elsewhere the second name may be another user's, given to a
    // file of ours (where hard links aren't protected) so that writing through it would change ours.
    struct stat folder {};
    return target.st.st_uid == me && ::stat(folderOf(target.path).c_str(), &folder) == 0 && folder.st_uid == me;
}

// Past a file size limit (a shell's "ulimit -f") the system ends the process with SIGXFSZ in the
// middle of a write, before the old content can be put back or the new file removed; ignored, the
// write fails with EFBIG and takes the usual way out. A handler of the program's own stays.
void ignoreFileSizeSignal()
{
    struct sigaction now {};
    if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

// Writes all of data at offset; `written` counts what reached the file, also on failure.
bool writeAt(int fd, const char *data, long long size, long long offset, long long *written = nullptr)
{
    if (written)
        *written = 0;
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, static_cast<size_t>(size), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
        if (written)
            *written += n;
    }
    return true;
}

bool readAt(int fd, char *data, long long size)
{
    long long offset = 0;
    while (offset < size) {
        const ssize_t n = ::pread(fd, data + offset, static_cast<size_t>(size - offset), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        offset += n;
    }
    return true;
}

} // namespace

SafeReplacement::~SafeReplacement()
{
    if (!m_temp.empty()) {
        m_fd.reset();
        ::unlink(m_temp.c_str());
    }
}

bool SafeReplacement::open(const std::string &path)
{
    ignoreFileSizeSignal();
    m_name = path;
    if (const std::string why = refusalOf(path, m_target); !why.empty())
        return fail(why);
    if (m_target.exists && inPlaceWanted(m_target)) {
        m_inPlace = true;
        return true;
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x%08x", random(), random());
        m_temp = m_target.path + suffix;
        m_fd.reset(::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, createMode()));
        if (m_fd || errno != EEXIST)
            break;
    }
    if (!m_fd) {
        const int err = errno;
        m_temp.clear();
        // A folder that refuses new files: a writable file in it is still written, in place.
        m_inPlace = m_target.exists;
        return m_inPlace || fail(systemErrorText(err));
    }
    if (m_target.exists && !m_keep && ::fchmod(m_fd.get(), m_target.st.st_mode & 07777) != 0)
        return fail(systemErrorText(errno));
    return true;
}

bool SafeReplacement::write(const char *data, size_t size)
{
    if (m_inPlace) {
        if (static_cast<long long>(m_content.size() + size) > InPlaceMaxBytes)
            return fail(m_name + " is too large to be written in place");
        m_content.append(data, size);
        return true;
    }
    if (!writeAt(m_fd.get(), data, static_cast<long long>(size), m_size))
        return fail(systemErrorText(errno));
    m_size += static_cast<long long>(size);
    return true;
}

void SafeReplacement::keepModeAndTime(const struct stat &from)
{
    m_keep = true;
    m_mode = from.st_mode & 07777;
    m_modified = from.st_mtim;
}

bool SafeReplacement::commit()
{
    if (m_inPlace)
        return commitInPlace();
    if (m_keep && !setModeAndTime(m_fd.get()))
        return fail(systemErrorText(errno));
    if (::fsync(m_fd.get()) != 0)
        return fail(systemErrorText(errno));
    m_fd.reset();
    if (::rename(m_temp.c_str(), m_target.path.c_str()) != 0)
        return fail(systemErrorText(errno));
    m_temp.clear();
    return true;
}

bool SafeReplacement::fail(const std::string &why)
{
    error = why;
    return false;
}

// Another user who opens the new file while it is written reads it through that descriptor later,
// whatever its mode is then: a copy is created no more open than its source allows the owner, and
// gets its source's mode only once it is complete.
mode_t SafeReplacement::createMode() const
{
    return m_keep ? m_mode & 0600 : 0666;
}

bool SafeReplacement::setModeAndTime(int fd) const
{
    const timespec times[2] = {{0, UTIME_OMIT}, m_modified};
    return ::fchmod(fd, m_mode) == 0 && ::futimens(fd, times) == 0;
}

// Grows the file first, where a full disk shows, then overwrites what it held; on any failure the
// old bytes go back.
bool SafeReplacement::commitInPlace()
{
    const Fd fd(::open(m_target.path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        return fail(systemErrorText(errno));
    if (st.st_dev != m_target.st.st_dev || st.st_ino != m_target.st.st_ino)
        return fail(m_name + " was replaced meanwhile");
    if (st.st_size > InPlaceMaxBytes)
        return fail(m_name + " is too large to be written in place");
    std::string old(static_cast<size_t>(st.st_size), '\0');
    if (!readAt(fd.get(), old.data(), static_cast<long long>(old.size())))
        return fail(systemErrorText(errno));
    const std::string &now = m_content;
    const auto oldSize = static_cast<long long>(old.size()), nowSize = static_cast<long long>(now.size());
    long long overwritten = 0;
    bool shortened = false;
    bool ok = nowSize <= oldSize || writeAt(fd.get(), now.data() + oldSize, nowSize - oldSize, oldSize);
    ok = ok && writeAt(fd.get(), now.data(), std::min(nowSize, oldSize), 0, &overwritten);
    if (ok && nowSize < oldSize)
        ok = shortened = ::ftruncate(fd.get(), nowSize) == 0;
    // Another user's file keeps what they set where they alone may change it.
    if (ok && m_keep)
        setModeAndTime(fd.get());
    ok = ok && ::fsync(fd.get()) == 0;
    if (ok)
        return true;
    const int err = errno;
    // Only what changed goes back: under a file size limit below the old size, writing the rest
    // again would fail as well.
    const long long changed = shortened ? oldSize : overwritten;
    const bool restored =
        writeAt(fd.get(), old.data(), changed, 0) && ::ftruncate(fd.get(), oldSize) == 0 && ::fsync(fd.get()) == 0;
    return fail(systemErrorText(err) +
                (restored ? std::string() : std::string("; the old content couldn't be put back")));
}

std::string safeWriteRefusal(const std::string &path)
{
    SafeTarget target;
    return refusalOf(path, target);
}

bool writeFileSafely(const std::string &path, std::string_view bytes, std::string *error)
{
    SafeReplacement file;
    if (file.open(path) && file.write(bytes.data(), bytes.size()) && file.commit())
        return true;
    if (error)
        *error = file.error;
    return false;
}

} // namespace orvane
