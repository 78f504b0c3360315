#include "ui/wake/WakeNotice.h"

#include "core/services/UiText.h"

#include "ui/Controls.h"
#include "ui/wake/WakeCommand.h"

#include <QLabel>
#include <QShowEvent>
#include <QTimer>

namespace orvane {

Dialog::Dialog(QWidget *parent) : QDialog(parent), m_start_lvl(new QLabel(this)), m_Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("Wake up!"));
    // A tool window with a fixed border: no minimise or maximise button, no taskbar entry.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twips(2895), twips(915));
    // It pops up at wake times too: it mustn't take the keyboard from whatever the user is doing.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_start_lvl->setObjectName(QStringLiteral("start_lvl"));
    m_start_lvl->setGeometry(twips(240, 360, 2415, 255));
    m_start_lvl->setAlignment(Qt::AlignCenter);
    // It names the PC as typed, markup or not.
    m_start_lvl->setTextFormat(Qt::PlainText);
    m_start_lvl->setText(QStringLiteral("Start"));

    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setInterval(5000);
    m_Timer1->setSingleShot(true);
    m_Timer1->setTimerType(Qt::PreciseTimer);
    connect(m_Timer1, &QTimer::timeout, this, &Dialog::Timer1_Timer);
}

void Dialog::Form_Load()
{
    m_start_lvl->setText(Orvane::tr("%1 を起動しました！").arg(StartedPcName));
    m_Timer1->start();
}

void Dialog::Timer1_Timer()
{
    emit unloadRequested();
}

void Dialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        centreOnScreen(this);
    QDialog::showEvent(event);
}

void Dialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // Closed by the user (close button, Escape): the next command loads a fresh notice.
    if (!event->spontaneous())
        emit unloadRequested();
}

} // namespace orvane
