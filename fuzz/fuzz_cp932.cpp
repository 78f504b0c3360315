// Fuzzes the code page 932 conversions in both directions.
#include "core/settings/Cp932.h"

#include "FuzzRequire.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Bytes to text: one unit per character or bad byte; text read from bytes converts back stably.
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = fromCp932(bytes);
    require(text.size() <= bytes.size(), "no more units than bytes");
    QString withoutBad = text;
    withoutBad.replace(QChar::ReplacementCharacter, QLatin1Char('?'));
    bool lossless = false;
    const QByteArray back = toCp932(text, &lossless);
    require(lossless == !text.contains(QChar::ReplacementCharacter), "only bad bytes are lost");
    require(fromCp932(back) == withoutBad, "decode, encode, decode");

    // Any UTF-16 text to bytes: each unit one or two bytes, the whole as the sum of its characters
    // (the byte length counts character by character), and lossless text reads back to the same bytes.
    QString units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units += QChar(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    const QByteArray encoded = toCp932(units, &lossless);
    require(encoded.size() >= units.size() && encoded.size() <= 2 * units.size(), "one or two bytes a unit");
    qsizetype sum = 0;
    QByteArray pieces;
    bool eachLossless = true;
    for (QChar ch : units) {
        bool one = false;
        const QByteArray piece = toCp932(QString(ch), &one);
        const int width = cp932CharBytes(ch);
        require(width == piece.size() && (width == 1 || width == 2), "character width");
        sum += width;
        pieces += piece;
        eachLossless = eachLossless && one;
    }
    require(sum == encoded.size() && pieces == encoded, "whole equals its characters");
    require(lossless == eachLossless, "lossless flag");
    if (lossless) {
        const QString decoded = fromCp932(encoded);
        require(!decoded.contains(QChar::ReplacementCharacter), "lossless bytes are valid");
        require(toCp932(decoded) == encoded, "encode, decode, encode");
    }
    return 0;
}
