#include "core/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

// One converter per direction and thread; iconv_open is far costlier than a conversion.
class Converter {
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }
    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

Converter &encoder()
{
    thread_local Converter c("CP932", "UTF-16LE");
    return c;
}

Converter &decoder()
{
    thread_local Converter c("UTF-16LE", "CP932");
    return c;
}

} // namespace

QByteArray toCp932(const QString &text, bool *lossless)
{
    if (lossless)
        *lossless = true;
    QByteArray out;
    Converter &c = encoder();
    if (!c.valid()) {
        if (lossless)
            *lossless = false;
        return QByteArray(text.size(), '?');
    }
    c.reset();
    out.resize(text.size() * 2 + 4);
    // QString is UTF-16 in host order; this code is for little-endian hosts only (x86, ARM).
    char *in = const_cast<char *>(reinterpret_cast<const char *>(text.utf16()));
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    char *outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(c.handle(), &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: two bytes per UTF-16 unit are always enough
        // Unmappable character or lone surrogate: '?' for this UTF-16 unit, as Windows does.
        if (lossless)
            *lossless = false;
        *outPtr++ = '?';
        --outLeft;
        in += 2;
        inLeft = inLeft >= 2 ? inLeft - 2 : 0;
        c.reset();
    }
    out.resize(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

QString fromCp932(const QByteArray &bytes)
{
    Converter &c = decoder();
    if (!c.valid())
        return QString(bytes.size(), QChar::ReplacementCharacter);
    c.reset();
    QString out;
    out.resize(bytes.size());
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char *outPtr = reinterpret_cast<char *>(out.data());
    size_t outLeft = static_cast<size_t>(out.size()) * 2;
    while (inLeft > 0) {
        if (iconv(c.handle(), &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: one UTF-16 unit per byte is always enough
        // An invalid or truncated sequence: one replacement character per bad byte.
        const char16_t replacement = 0xFFFD;
        std::memcpy(outPtr, &replacement, 2);
        outPtr += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        c.reset();
    }
    out.resize(out.size() - static_cast<qsizetype>(outLeft / 2));
    return out;
}

int cp932CharBytes(QChar ch)
{
    return static_cast<int>(toCp932(QString(ch)).size());
}

} // namespace orvane
