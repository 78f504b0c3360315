#include "ui/settings/Settings.h"

#include "app/SettingsModule.h"

namespace orvane {

Settings::Settings(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("Settings")); }

void Settings::Form_Load() { LoadSettings(); }

void Settings::showSettings(const SettingsGrid &) {}

} // namespace orvane
