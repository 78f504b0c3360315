#pragma once

#include <QString>
#include <QTemporaryDir>

namespace orvane::test {

// A fresh temporary folder that is the current directory while this object lives, since the
// settings file is always "System.ini" in the current directory.
class TempCwd {
public:
    TempCwd();
    ~TempCwd();
    TempCwd(const TempCwd &) = delete;
    TempCwd &operator=(const TempCwd &) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Whole-file helpers for assertions on bytes.
QByteArray readAll(const QString &path);
void writeAll(const QString &path, const QByteArray &bytes);

// An environment variable set (or, for a null value, unset) for the life of the guard.
class EnvGuard {
public:
    explicit EnvGuard(const char *name, const QByteArray &value = QByteArray());
    ~EnvGuard();
    EnvGuard(const EnvGuard &) = delete;
    EnvGuard &operator=(const EnvGuard &) = delete;
    void set(const QByteArray &value);

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace orvane::test
