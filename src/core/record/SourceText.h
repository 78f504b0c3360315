#pragma once

// N_("…"): a text of the catalogue kept as the source has it, for a program that must know it in
// that language too; T_() turns it into the user's where it is shown. translations/update-po collects
// N_ as it collects T_.
namespace orvane {

constexpr const char *N_(const char *source)
{
    return source;
}

} // namespace orvane
