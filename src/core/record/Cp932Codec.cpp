#include "core/record/Cp932Codec.h"

#include <iconv.h>

#include <algorithm>
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

// UTF-16 in host order; this code is for little-endian hosts only (x86, ARM).
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

std::size_t encodeCp932Into(std::u16string_view text, char *out, bool *lossless)
{
    if (lossless)
        *lossless = true;
    if (std::all_of(text.begin(), text.end(), [](char16_t u) { return u < 0x80; })) {
        std::transform(text.begin(), text.end(), out, [](char16_t u) { return static_cast<char>(u); });
        return text.size();
    }
    Converter &c = encoder();
    if (!c.valid()) {
        if (lossless)
            *lossless = false;
        std::memset(out, '?', text.size());
        return text.size();
    }
    c.reset();
    char *in = const_cast<char *>(reinterpret_cast<const char *>(text.data()));
    size_t inLeft = text.size() * 2;
    char *outPtr = out;
    size_t outLeft = text.size() * 2;
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
    return static_cast<std::size_t>(outPtr - out);
}

std::size_t decodeCp932Into(std::string_view bytes, char16_t *out)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) < 0x80; })) {
        std::copy(bytes.begin(), bytes.end(), out);
        return bytes.size();
    }
    Converter &c = decoder();
    if (!c.valid()) {
        std::fill_n(out, bytes.size(), u'\uFFFD');
        return bytes.size();
    }
    c.reset();
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = bytes.size();
    char *outPtr = reinterpret_cast<char *>(out);
    size_t outLeft = bytes.size() * 2;
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
    return (bytes.size() * 2 - outLeft) / 2;
}

std::string encodeCp932(std::u16string_view text, bool *lossless)
{
    std::string out(text.size() * 2, '\0');
    out.resize(encodeCp932Into(text, out.data(), lossless));
    return out;
}

std::u16string decodeCp932(std::string_view bytes)
{
    std::u16string out(bytes.size(), u'\0');
    out.resize(decodeCp932Into(bytes, out.data()));
    return out;
}

} // namespace orvane
