#pragma once

#include "common/QzCmn14.h"
#include "core/FixedField.h"

#include <QWidget>

namespace orvane {

// The settings dialog.
class Settings : public QWidget {
    Q_OBJECT
public:
    explicit Settings(QWidget *parent = nullptr);
    void Form_Load();
    // The dialog's half of LoadSettings' display.
    void showSettings(const SettingsGrid &table);

private:
    QzCmn14 m_common;
};

} // namespace orvane
