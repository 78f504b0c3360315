#include "core/record/Language.h"

#include "core/record/Catalogues.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace orvane {

namespace {

bool isSet(const char *s)
{
    return s != nullptr && *s != '\0';
}

// "ja_JP.UTF-8" -> "ja"; "C", "C.UTF-8" and "POSIX" name no language.
std::string_view languagePart(std::string_view locale)
{
    const std::string_view name = locale.substr(0, locale.find_first_of("_.@"));
    return name == "C" || name == "POSIX" ? std::string_view() : name;
}

const Catalogue *catalogueOf(std::string_view language)
{
    for (std::size_t i = 0; i < CatalogueCount; ++i)
        if (language == Catalogues[i].language)
            return &Catalogues[i];
    return nullptr;
}

// "pt_BR.UTF-8" is pt_BR's catalogue if there is one, else pt's; "ja" the source.
std::string_view languageWithCatalogue(std::string_view locale)
{
    const std::string_view full = locale.substr(0, locale.find_first_of(".@"));
    const std::string_view name = languagePart(locale);
    if (name == SourceLanguage)
        return SourceLanguage;
    if (catalogueOf(full) != nullptr)
        return catalogueOf(full)->language;
    return catalogueOf(name) != nullptr ? catalogueOf(name)->language : std::string_view();
}

std::string &chosen()
{
    static std::string language =
        languageOf(std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    return language;
}

struct Image {
    const unsigned char *bytes;
    std::size_t size;
    bool swapped;

    std::uint32_t word(std::size_t offset) const
    {
        if (offset + 4 > size)
            return 0;
        std::uint32_t w;
        std::memcpy(&w, bytes + offset, 4);
        return swapped ? __builtin_bswap32(w) : w;
    }
};

// The .mo's originals are sorted by bytes, so a binary search finds the key.
const char *translated(const Catalogue &catalogue, const char *japanese)
{
    Image mo{catalogue.image, catalogue.size, false};
    constexpr std::uint32_t Magic = 0x950412de;
    const std::uint32_t magic = mo.word(0);
    if (magic != Magic && magic != __builtin_bswap32(Magic))
        return nullptr;
    mo.swapped = magic != Magic;
    const std::uint32_t count = mo.word(8), originals = mo.word(12), translations = mo.word(16);
    const std::string_view key(japanese);
    std::uint32_t low = 0, high = count;
    while (low < high) {
        const std::uint32_t mid = low + (high - low) / 2;
        const std::uint32_t length = mo.word(originals + 8 * mid), at = mo.word(originals + 8 * mid + 4);
        if (std::size_t(at) + length > mo.size)
            return nullptr;
        const std::string_view original(reinterpret_cast<const char *>(mo.bytes) + at, length);
        const int order = original.compare(key);
        if (order == 0) {
            const std::uint32_t tlength = mo.word(translations + 8 * mid), tat = mo.word(translations + 8 * mid + 4);
            if (tlength == 0 || std::size_t(tat) + tlength >= mo.size)
                return nullptr;
            return reinterpret_cast<const char *>(mo.bytes) + tat;
        }
        if (order < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return nullptr;
}

} // namespace

std::string languageOf(const char *languageList, const char *lcAll, const char *lcMessages, const char *lang)
{
    const char *locale = isSet(lcAll) ? lcAll : isSet(lcMessages) ? lcMessages : isSet(lang) ? lang : "";
    if (languagePart(locale).empty())
        return SourceLanguage;
    std::string_view list = isSet(languageList) ? languageList : "";
    while (!list.empty()) {
        const std::size_t colon = std::min(list.find(':'), list.size());
        const std::string_view language = languageWithCatalogue(list.substr(0, colon));
        if (!language.empty())
            return std::string(language);
        list.remove_prefix(std::min(colon + 1, list.size()));
    }
    const std::string_view own = languageWithCatalogue(locale);
    return std::string(own.empty() ? catalogueOf("en") != nullptr ? "en" : SourceLanguage : own);
}

const std::string &uiLanguage()
{
    return chosen();
}

void setUiLanguage(const std::string &language)
{
    chosen() = language;
}

const char *T_(const char *japanese)
{
    const std::string &language = chosen();
    if (language == SourceLanguage)
        return japanese;
    const Catalogue *catalogue = catalogueOf(language);
    const char *text = catalogue != nullptr ? translated(*catalogue, japanese) : nullptr;
    return text != nullptr ? text : japanese;
}
std::string textWith(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const std::size_t n = std::size_t(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += args.begin()[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace orvane
