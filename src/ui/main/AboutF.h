#pragma once

#include "common/QzCmn14.h"

#include <QDialog>

namespace orvane {

// The about box.
class AboutF : public QDialog {
    Q_OBJECT
public:
    explicit AboutF(QWidget *parent = nullptr);
    void Form_Load();

private:
    QzCmn14 m_common;
};

} // namespace orvane
