#include "core/record/SettingsFolder.h"

#include "core/record/RecordFormat.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

namespace orvane {

namespace {

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string desktopSettingsFolder()
{
    // As the launcher's shell reads it: an empty variable counts as unset.
    if (const std::string config = environment("XDG_CONFIG_HOME"); !config.empty())
        return config + "/orvane";
    std::string home = environment("HOME");
    if (home.empty()) {
        const passwd *account = ::getpwuid(::getuid());
        home = account && account->pw_dir ? account->pw_dir : "";
    }
    return home.empty() ? "" : home + "/.config/orvane";
}

std::string settingsFileIn(const std::string &folder)
{
    if (folder.empty())
        return SettingsFileName;
    return folder + (folder.back() == '/' ? "" : "/") + SettingsFileName;
}

} // namespace orvane
