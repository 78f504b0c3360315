#include "core/settings/Cp932.h"

#include "core/record/Cp932Codec.h"
#include "core/settings/Text.h"

namespace orvane {

QByteArray toCp932(const QString &text, bool *lossless)
{
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    out.truncate(static_cast<qsizetype>(encodeCp932Into(utf16View(text), out.data(), lossless)));
    return out;
}

QString fromCp932(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    const std::string_view in(bytes.constData(), static_cast<size_t>(bytes.size()));
    out.truncate(static_cast<qsizetype>(decodeCp932Into(in, reinterpret_cast<char16_t *>(out.data()))));
    return out;
}

int cp932CharBytes(QChar ch)
{
    return static_cast<int>(toCp932(QString(ch)).size());
}

} // namespace orvane
