#include "core/Cp932.h"

#include "core/Cp932Codec.h"

namespace orvane {

namespace {

std::u16string_view units(const QString &text)
{
    return std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<size_t>(text.size()));
}

} // namespace

QByteArray toCp932(const QString &text, bool *lossless)
{
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    out.truncate(static_cast<qsizetype>(encodeCp932Into(units(text), out.data(), lossless)));
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
