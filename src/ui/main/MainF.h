#pragma once

#include "common/QzCmn14.h"
#include "core/FixedField.h"

#include <QWidget>

namespace orvane {

// The main window: hidden most of the time, reached through the tray icon.
class MainF : public QWidget {
    Q_OBJECT
public:
    explicit MainF(QWidget *parent = nullptr);
    ~MainF() override;

    void Form_Load();
    // The main window's half of LoadSettings' display.
    void showSettings(const SettingsGrid &table);

    QzCmn14 &common() { return m_common; }

private:
    QzCmn14 m_common;
};

} // namespace orvane
