#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace orvane::test {

TempCwd::TempCwd() : m_previous(QDir::currentPath())
{
    EXPECT_TRUE(m_dir.isValid());
    EXPECT_TRUE(QDir::setCurrent(m_dir.path()));
}

TempCwd::~TempCwd()
{
    QDir::setCurrent(m_previous);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

EnvGuard::EnvGuard(const char *name, const QByteArray &value)
    : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
{
    set(value);
}

EnvGuard::~EnvGuard()
{
    if (m_had)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}

void EnvGuard::set(const QByteArray &value)
{
    if (value.isNull())
        qunsetenv(m_name);
    else
        qputenv(m_name, value);
}

} // namespace orvane::test
