#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace orvane {

// The start notice: names the PC just woken and closes itself after five seconds.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget *parent = nullptr);
    void Form_Load();
    void Timer1_Timer();

signals:
    // Its time is up or the user closed it.
    void unloadRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QLabel *m_start_lvl;
    QTimer *m_Timer1;
};

} // namespace orvane
