#pragma once

#include <QDialog>

namespace orvane {

// The start notice: names the PC just woken and closes itself after five seconds.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget *parent = nullptr);
    void Form_Load();
};

} // namespace orvane
