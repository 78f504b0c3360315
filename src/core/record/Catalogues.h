#pragma once

#include <cstddef>

namespace orvane {

// The gettext .mo images made from translations/*.po at build time, one per language.
struct Catalogue {
    const char *language; // "en", "pt_BR"
    const unsigned char *image;
    std::size_t size;
};
extern const Catalogue Catalogues[];
extern const std::size_t CatalogueCount;

} // namespace orvane
