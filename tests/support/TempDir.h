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

} // namespace orvane::test
