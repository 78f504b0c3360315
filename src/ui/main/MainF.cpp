#include "ui/main/MainF.h"

#include "app/SettingsModule.h"

namespace orvane {

MainF::MainF(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("MainF")); }

MainF::~MainF() = default;

void MainF::Form_Load()
{
    LoadSettings();
    hide();
}

void MainF::showSettings(const SettingsGrid &) {}

} // namespace orvane
