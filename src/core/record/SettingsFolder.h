#pragma once

#include <string>

// Plain C++: orvane-wake looks there too.
namespace orvane {

// The folder where Orvane started from the desktop keeps "System.ini" (its launcher makes it the
// program's current directory): ${XDG_CONFIG_HOME:-$HOME/.config}/orvane, with the account's home
// where HOME isn't set. Empty when there is no home to be found.
std::string desktopSettingsFolder();

// "System.ini" in a folder; in the current directory for an empty one.
std::string settingsFileIn(const std::string &folder);

} // namespace orvane
