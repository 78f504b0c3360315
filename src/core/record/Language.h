#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The user's language. Japanese is the texts' own language and what a locale that names none (C,
// POSIX, unset) gets; another language gets its catalogue (built in from translations/), and one
// without a catalogue gets English.
namespace orvane {

inline constexpr char SourceLanguage[] = "ja";

// As gettext reads the environment: the locale is the first set of LC_ALL, LC_MESSAGES and LANG;
// LANGUAGE, a list by preference, counts only when that locale names a language. "ja" or the code of
// a catalogue ("en", "pt_BR").
std::string languageOf(const char *languageList, const char *lcAll, const char *lcMessages, const char *lang);

// The environment's, read once; a test may set it.
const std::string &uiLanguage();
void setUiLanguage(const std::string &language);

// The text in the user's language. `japanese` is the catalogue's key: the text as the source has it.
const char *T_(const char *japanese);

// The pattern with %1 to %9 replaced by the arguments, as QString::arg does, in one pass: a value
// that holds "%2" stays as it is.
std::string textWith(std::string_view pattern, std::initializer_list<std::string_view> args);

} // namespace orvane
