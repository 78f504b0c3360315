#include "core/settings/ProfileFile.h"

#include "core/settings/Cp932.h"
#include "core/settings/SafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <optional>

namespace orvane {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Lead bytes of code page 932's double-byte characters.
bool isLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;  // before the line break ("\r\n" or "\n")
    qsizetype next = 0; // start of the following line
    bool hasBreak = false;
};

// Walks the lines of a file without copying them; a huge line costs one pass.
class LineReader {
public:
    explicit LineReader(const QByteArray &content) : m_content(content) {}

    bool next(Line &line)
    {
        const qsizetype size = m_content.size();
        if (m_pos >= size)
            return false;
        const char *data = m_content.constData();
        const void *lf = std::memchr(data + m_pos, '\n', static_cast<size_t>(size - m_pos));
        line.begin = m_pos;
        line.hasBreak = lf != nullptr;
        line.next = lf ? static_cast<const char *>(lf) - data + 1 : size;
        line.end = lf ? line.next - 1 : size;
        if (line.end > line.begin && data[line.end - 1] == '\r')
            --line.end;
        m_pos = line.next;
        return true;
    }

private:
    const QByteArray &m_content;
    qsizetype m_pos = 0;
};

enum class Kind { Blank, Section, Key, Other };

struct Parsed {
    Kind kind = Kind::Other;
    QString name;
    qsizetype equals = -1; // position of the key's "="
};

Parsed parseLine(const QByteArray &content, const Line &line)
{
    const char *data = content.constData();
    qsizetype b = line.begin;
    qsizetype e = line.end;
    while (b < e && isBlank(data[b]))
        ++b;
    while (e > b && isBlank(data[e - 1]))
        --e;
    if (b == e)
        return {Kind::Blank, QString(), -1};
    if (data[b] == '[') {
        // "]" may be the second byte of a double-byte character: look for it in the decoded text.
        const QString text = fromCp932(QByteArray::fromRawData(data + b + 1, e - b - 1));
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close >= 0)
            return {Kind::Section, text.left(close).trimmed(), -1};
    }
    if (data[b] == ';')
        return {Kind::Other, QString(), -1};
    // "=" (0x3D) is never part of a double-byte character, so a byte search is safe.
    const void *eq = std::memchr(data + b, '=', static_cast<size_t>(e - b));
    if (!eq)
        return {Kind::Other, QString(), -1};
    const qsizetype equals = static_cast<const char *>(eq) - data;
    qsizetype nameEnd = equals;
    while (nameEnd > b && isBlank(data[nameEnd - 1]))
        --nameEnd;
    return {Kind::Key, fromCp932(QByteArray::fromRawData(data + b, nameEnd - b)), equals};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key is, or where it would go.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line anchor; // the key's line; else the section's last key line or its header
    qsizetype equals = -1;
};

Location locate(const QByteArray &content, const QString &section, const QString &key)
{
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();
    Location where;
    LineReader reader(content);
    Line line;
    while (reader.next(line)) {
        const Parsed parsed = parseLine(content, line);
        if (parsed.kind == Kind::Section) {
            if (where.sectionFound)
                break; // only the first section of that name counts
            if (sameName(parsed.name, wantedSection)) {
                where.sectionFound = true;
                where.anchor = line;
            }
            continue;
        }
        if (!where.sectionFound || parsed.kind != Kind::Key)
            continue;
        where.anchor = line;
        if (sameName(parsed.name, wantedKey)) {
            where.keyFound = true;
            where.equals = parsed.equals;
            break;
        }
    }
    return where;
}

QByteArray lineBreakOf(const QByteArray &content)
{
    const qsizetype lf = content.indexOf('\n');
    if (lf > 0 && content.at(lf - 1) != '\r')
        return QByteArrayLiteral("\n");
    return QByteArrayLiteral("\r\n");
}

bool encodeWhole(const QString &text, QByteArray &bytes)
{
    bool lossless = true;
    bytes = toCp932(text, &lossless);
    return lossless;
}

bool breaksLine(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

// The first bytes of value that fit maxBytes without splitting a double-byte character.
QByteArray fitBytes(const QByteArray &value, qsizetype maxBytes)
{
    qsizetype taken = 0;
    while (taken < value.size()) {
        const qsizetype width = isLeadByte(value.at(taken)) ? 2 : 1;
        if (taken + width > maxBytes)
            break;
        taken += width;
    }
    return value.left(taken);
}

bool readWhole(const QString &path, QByteArray &bytes)
{
    // Never open a FIFO or a device: it could block or never end.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > ProfileFileMaxBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.read(ProfileFileMaxBytes + 1);
    return file.error() == QFileDevice::NoError && bytes.size() <= ProfileFileMaxBytes;
}

// The raw value of key in section, or nothing when the section or the key is missing.
std::optional<QByteArray> findProfileValue(const QByteArray &content, const QString &section, const QString &key)
{
    const Location where = locate(content, section, key);
    if (!where.keyFound)
        return std::nullopt;
    const char *data = content.constData();
    qsizetype b = where.equals + 1;
    qsizetype e = where.anchor.end;
    while (b < e && isBlank(data[b]))
        ++b;
    while (e > b && isBlank(data[e - 1]))
        --e;
    QByteArray value(data + b, e - b);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

// content with key in section set to value: the key's line rewritten in place, else a new line at
// the end of the section, else a new section at the end. Every other byte stays as it was; new
// lines use the file's own line break (CR LF for a new file). Names or a value that would break
// the line structure, or text that code page 932 can't hold, give nothing and a reason in `error`.
std::optional<QByteArray> setProfileValue(const QByteArray &content, const QString &section, const QString &key,
                                          const QString &value, QString *error)
{
    auto fail = [error](const char *why) -> std::optional<QByteArray> {
        if (error)
            *error = QString::fromUtf8(why);
        return std::nullopt;
    };
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    // Written as given these would add or hide lines, or be read back under another name.
    if (breaksLine(section) || breaksLine(key) || breaksLine(value))
        return fail("line breaks and NUL characters can't be stored in a profile file");
    if (sectionName.contains(QLatin1Char(']')))
        return fail("a section name can't contain \"]\"");
    if (keyName.isEmpty() || keyName.contains(QLatin1Char('=')) || keyName.startsWith(QLatin1Char('[')) ||
        keyName.startsWith(QLatin1Char(';')))
        return fail("a key name must not be empty, contain \"=\" or start with \"[\" or \";\"");
    QByteArray sectionBytes;
    QByteArray keyBytes;
    QByteArray valueBytes;
    // Stored as "?" the text would read back as something else.
    if (!encodeWhole(sectionName, sectionBytes) || !encodeWhole(keyName, keyBytes) || !encodeWhole(value, valueBytes))
        return fail("the text has characters that code page 932 can't hold");

    const QByteArray lineBreak = lineBreakOf(content);
    const QByteArray keyLine = keyBytes + '=' + valueBytes;
    const Location where = locate(content, section, key);
    QByteArray result = content;
    if (where.keyFound) {
        qsizetype valueBegin = where.equals + 1;
        while (valueBegin < where.anchor.end && (content.at(valueBegin) == ' ' || content.at(valueBegin) == '\t'))
            ++valueBegin;
        result.replace(valueBegin, where.anchor.end - valueBegin, valueBytes);
    } else if (where.sectionFound) {
        if (where.anchor.hasBreak)
            result.insert(where.anchor.next, keyLine + lineBreak);
        else
            result.insert(where.anchor.next, lineBreak + keyLine + lineBreak);
    } else {
        if (!result.isEmpty() && !result.endsWith('\n'))
            result.append(lineBreak);
        result.append('[' + sectionBytes + ']' + lineBreak + keyLine + lineBreak);
    }
    return result;
}

} // namespace

QString readProfileString(const QString &path, const QString &section, const QString &key, int bufferSize)
{
    QByteArray content;
    if (bufferSize <= 1 || !readWhole(path, content))
        return QString();
    const std::optional<QByteArray> value = findProfileValue(content, section, key);
    if (!value)
        return QString();
    return fromCp932(fitBytes(*value, bufferSize - 1));
}

bool writeProfileString(const QString &path, const QString &section, const QString &key, const QString &value,
                        QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QByteArray content;
    const QFileInfo info(path);
    const bool exists = info.exists() || info.isSymLink();
    if (const QString refusal = replaceRefusal(path); !refusal.isEmpty())
        return fail(refusal);
    if (exists && !readWhole(path, content))
        return fail(QStringLiteral("%1 can't be read or is too large").arg(path));
    QString why;
    const std::optional<QByteArray> updated = setProfileValue(content, section, key, value, &why);
    if (!updated)
        return fail(why);
    if (exists && *updated == content)
        return true;
    return writeWholeFile(path, *updated, error);
}

} // namespace orvane
