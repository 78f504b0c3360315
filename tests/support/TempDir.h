#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvane::test {

// A fresh temporary folder that is the current directory while this object lives, since the
// settings file is always "System.ini" in the current directory.
class TempCwd {
public:
    TempCwd() { EXPECT_TRUE(m_dir.isValid() && QDir::setCurrent(m_dir.path())); }
    ~TempCwd() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QString m_previous = QDir::currentPath();
    QTemporaryDir m_dir;
};

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// An environment variable set (or, for a null value, unset) for the life of the guard.
class EnvGuard {
public:
    explicit EnvGuard(const char *name, const QByteArray &v = {}) : m_name(name), m_old(qgetenv(name)) { set(v); }
    ~EnvGuard() { set(m_old); }
    void set(const QByteArray &value) { value.isNull() ? qunsetenv(m_name) : qputenv(m_name, value); }

private:
    const char *m_name;
    QByteArray m_old; // null when the variable was unset
};

} // namespace orvane::test
