#pragma once

#include "platform/QzCmn14.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace orvane {

// The about box: the program's icon, name, version and three lines about its maker.
class AboutF : public QDialog {
    Q_OBJECT
public:
    explicit AboutF(QWidget *parent = nullptr);
    void Form_Load();

    // OK, Enter and Esc: unload the box.
    void cmdOK_Click();

    // The maker lines: a rights notice, the company, the year it was founded.
    static const QString MakerLines;

    void reject() override;

signals:
    void unloadRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QzCmn14 m_common;
    QLabel *m_picIcon = nullptr;
    QLabel *m_Title_lvl = nullptr;
    QLabel *m_Ver_lvl = nullptr;
    QLabel *m_Info_lvl = nullptr;
    QPushButton *m_cmdOK = nullptr;
};

} // namespace orvane
