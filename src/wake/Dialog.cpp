#include "wake/Dialog.h"

#include "app/Forms.h"
#include "wake/PcStart.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace orvane {

namespace {

constexpr int twips(int t)
{
    return t / 15;
}

} // namespace

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
    m_start_lvl->setGeometry(twips(240), twips(360), twips(2415), twips(255));
    m_start_lvl->setAlignment(Qt::AlignCenter);
    m_start_lvl->setText(QStringLiteral("Start"));

    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setInterval(5000);
    m_Timer1->setSingleShot(true);
    m_Timer1->setTimerType(Qt::PreciseTimer);
    connect(m_Timer1, &QTimer::timeout, this, &Dialog::Timer1_Timer);
}

void Dialog::Form_Load()
{
    m_start_lvl->setText(StartedPcName + QStringLiteral(" を起動しました！"));
    m_Timer1->start();
}

void Dialog::Timer1_Timer()
{
    forms().unloadDialog();
}

void Dialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        centreOnScreen();
    QDialog::showEvent(event);
}

void Dialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // Closed by the user (close button, Escape): the next command loads a fresh notice.
    if (!event->spontaneous() && forms().loadedDialog() == this)
        forms().unloadDialog();
}

void Dialog::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

} // namespace orvane
