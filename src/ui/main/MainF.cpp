#include "ui/main/MainF.h"

#include "core/services/UiText.h"

#include "core/settings/SettingsStore.h"
#include "core/settings/Text.h"
#include "core/time/WakeSchedule.h"
#include "core/wake/RelayRules.h"
#include "platform/TrayRecord.h"
#include "ui/Controls.h"
#include "ui/Looks.h"
#include "ui/StatusMarks.h"
#include "ui/main/TrayDispatch.h"
#include "ui/wake/TimedWake.h"
#include "ui/wake/WakeCommand.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

namespace orvane {

namespace {

constexpr int ClientWidth = 5475;
constexpr int ClientHeight = 4500;
const char HelpContextProperty[] = "helpContext";

template <typename Button = QPushButton>
Button *button(QWidget *parent, const QString &name, const QString &text, int left, int top, int width, int height)
{
    auto *b = new Button(text, parent);
    b->setObjectName(name);
    b->setGeometry(twips(left, top, width, height));
    // Enter presses the focused button, as Space does; no button is pressed by Enter from elsewhere.
    b->setAutoDefault(true);
    b->setDefault(false);
    return b;
}

// A name on a button or a menu entry shows as typed: "A&B" has no access key.
QString asCaption(const QString &text)
{
    return QString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

QString MainF::trayTip()
{
    return Orvane::tr("左-Menu:右-Help");
}

QString MainF::helpFile()
{
    // The program's folder has no separator at its end except when it is the root.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Orvane.chm");
}

MainF::MainF(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MainF"));
    setWindowTitle(QStringLiteral("Orvane!"));
    setWindowIcon(programIcon());
    setFont(uiFont());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setProperty(HelpContextProperty, HelpContextMain);
    buildControls();
    buildMenus();
    setFixedSize(m_client->size());
    for (int n = FirstPc; n <= LastPc; ++n)
        showStatus(n, Reach::NotChecked, QString::fromUtf8(reachWord(Reach::NotChecked)));

    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { openHelpAt(HelpContextMain); });
}

MainF::~MainF() = default;

void MainF::buildControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setGeometry(twips(0, 0, ClientWidth, ClientHeight));
    QWidget *c = m_client;

    m_Label1 = label(c, "Label1", Orvane::tr("現在の時刻"), twips(240, 120, 975, 195));
    m_time_lvl = label(c, "time_lvl", QString(), twips(1320, 120, 975, 200));
    m_port_lvl = label(c, "port_lvl", Orvane::tr("ポート番号 : "), twips(240, 360, 1815, 200));
    m_send_qty_lvl = label(c, "send_qty_lvl", Orvane::tr("マジックパケット送信回数 = "), twips(2280, 360, 2535, 200));
    for (int n = FirstPc; n <= LastPc; ++n) {
        m_PC_start[n] = button<PcButton>(c, QStringLiteral("PC_start_%1").arg(n), QString(), 120, 720 * n, 1575, 375);
        m_PC_mark[n] = new StatusMark(m_PC_start[n]);
        setCaption(n, Orvane::tr("PC%1 起動").arg(n));
        connect(m_PC_start[n], &QPushButton::clicked, this, [this, n] { PC_start_Click(static_cast<qint16>(n)); });
    }
    for (int n = FirstPc; n <= LastPc; ++n)
        m_Info_lvl[n - FirstPc] = label(c, QStringLiteral("Info_lvl_%1").arg(n - FirstPc).toLatin1().constData(),
                                        QString(), twips(1920, 720 * n, 2295, 615));
    m_Settings_bt = button(c, QStringLiteral("Settings_bt"), Orvane::tr("設 定(&S)"), 4320, 720, 1095, 375);
    m_Close_bt = button(c, QStringLiteral("Close_bt"), Orvane::tr("閉じる(&C)"), 4320, 1320, 1095, 375);
    m_CloseF = button(c, QStringLiteral("CloseF"), Orvane::tr("終 了(&X)"), 4320, 1920, 1095, 375);
    connect(m_Settings_bt, &QPushButton::clicked, this, &MainF::Settings_bt_Click);
    connect(m_Close_bt, &QPushButton::clicked, this, &MainF::Close_bt_Click);
    connect(m_CloseF, &QPushButton::clicked, this, &MainF::CloseF_Click);

    // Tab order by tab index: CloseF 0, the PC buttons 1 to 4 and 6, Settings_bt 11, Close_bt 16.
    QList<QWidget *> order{m_CloseF};
    for (int n = FirstPc; n <= LastPc; ++n)
        order.append(m_PC_start[n]);
    order << m_Settings_bt << m_Close_bt;
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    for (QWidget *w : order)
        w->setProperty(HelpContextProperty, HelpContextMain);
    m_CloseF->setFocus();
}

void MainF::buildMenus()
{
    auto entry = [](QMenu *menu, const char *name, const QString &text, int context) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setProperty(HelpContextProperty, context);
        return a;
    };
    // The separators' caption "-" is what made them separators; Qt's separators carry no text.
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QLatin1String(name)); };

    m_MainMenu = new QMenu(Orvane::tr("ﾒﾆｭｰ&M"), this);
    m_MainMenu->setObjectName(QStringLiteral("MainMenu"));
    m_MainDisp = entry(m_MainMenu, "MainDisp", Orvane::tr("ﾒｲﾝ表示(&M)"), HelpContextMain);
    m_Setting = entry(m_MainMenu, "Setting", Orvane::tr("設定(&S)"), HelpContextSettings);
    separator(m_MainMenu, "l1");
    for (int n = FirstPc; n <= LastPc; ++n) {
        const QByteArray name = QStringLiteral("PC%1_start").arg(n).toLatin1();
        m_PCn_start[n] = entry(m_MainMenu, name.constData(), Orvane::tr("PC%1起動").arg(n), HelpContextMain);
    }
    separator(m_MainMenu, "l2");
    m_QuitApli = entry(m_MainMenu, "QuitApli", Orvane::tr("終了(&X)"), HelpContextMain);

    m_Help = new QMenu(Orvane::tr("ﾍﾙﾌﾟ&H"), this);
    m_Help->setObjectName(QStringLiteral("Help"));
    // No context of their own: F1 on them opens the window's topic.
    m_HelpTopic = entry(m_Help, "HelpTopic", Orvane::tr("ﾍﾙﾌﾟ(&H)"), 0);
    m_About = entry(m_Help, "About", QStringLiteral("About(&A)"), 0);

    m_MainMenu->setToolTipsVisible(true); // the PC entries' state
    for (QMenu *menu : {m_MainMenu, m_Help}) {
        menu->setFont(uiFont());
        // Named so that accessibility tools and the tray tests can tell the two pop-ups apart.
        menu->setWindowTitle(menu->objectName());
        menu->installEventFilter(this);
    }

    connect(m_MainDisp, &QAction::triggered, this, &MainF::MainDisp_Click);
    connect(m_Setting, &QAction::triggered, this, &MainF::Setting_Click);
    connect(m_PCn_start[1], &QAction::triggered, this, &MainF::PC1_start_Click);
    connect(m_PCn_start[2], &QAction::triggered, this, &MainF::PC2_start_Click);
    connect(m_PCn_start[3], &QAction::triggered, this, &MainF::PC3_start_Click);
    connect(m_PCn_start[4], &QAction::triggered, this, &MainF::PC4_start_Click);
    connect(m_PCn_start[5], &QAction::triggered, this, &MainF::PC5_start_Click);
    connect(m_QuitApli, &QAction::triggered, this, &MainF::QuitApli_Click);
    connect(m_HelpTopic, &QAction::triggered, this, &MainF::HelpTopic_Click);
    connect(m_About, &QAction::triggered, this, &MainF::About_Click);
}

qint32 MainF::hWnd()
{
    return static_cast<qint32>(winId());
}

void MainF::Form_Load()
{
    // The clock and the timed wake run from load on, hidden or not.
    m_timedWake = new TimedWake(m_common, this);
    connect(m_timedWake, &TimedWake::timeShown, m_time_lvl, &QLabel::setText);
    // The next wakes move on as the day goes: the tips follow once a minute.
    connect(m_timedWake, &TimedWake::timeShown, this, [this](const QString &t) {
        if (t.endsWith(QLatin1String(":00")))
            for (int n = FirstPc; n <= LastPc; ++n)
                showStatus(n, m_PC_mark[n]->reach(), m_PC_status[n]);
    });
    m_timedWake->start();
    settingsStore().LoadSettings();
    centreOnScreen(this);
    const bool inTray = m_common.TrayAddIcon(hWnd(), iconHandle(windowIcon()), trayTip());
    hide();
    // Without a tray host nobody could reach a hidden window: show it, with the menus on a menu bar.
    // An icon that waits for a tray shows up there as soon as one appears.
    if (!inTray) {
        showMenuBar();
        centreOnScreen(this); // taller by the bar now
        MainDisp_Click();
    }
}

void MainF::showMenuBar()
{
    if (m_menuBar)
        return;
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    m_menuBar->setNativeMenuBar(false);
    m_menuBar->addMenu(m_MainMenu);
    m_menuBar->addMenu(m_Help);
    const int barHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, m_client->width(), barHeight);
    // The client area keeps its size below the bar.
    m_client->move(0, barHeight);
    setFixedSize(m_client->width(), m_client->height() + barHeight);
    m_menuBar->show();
}

void MainF::showSettings(const SettingsGrid &table, const OrvaneTable &extras)
{
    auto field = [&table](int row, int column) { return table.value(row, column); };

    m_port_lvl->setText(Orvane::tr("ポート番号 : ") + field(GlobalRow, PortCell));
    m_send_qty_lvl->setText(Orvane::tr("マジックパケット送信回数 = ") + field(GlobalRow, SendCountCell));
    for (int n = FirstPc; n <= LastPc; ++n) {
        QString mac;
        for (int i = 0; i < MacCells; ++i)
            mac += field(n, MacCell + i) + QLatin1Char(' ');
        // An empty name keeps the caption the button has: its default or a name shown earlier.
        if (!field(n, NameCell).isEmpty())
            setCaption(n, Orvane::tr("%1 起動").arg(field(n, NameCell)));
        // ON exactly when the timed wake would wake the PC: "0", "2" and what isn't a number read OFF.
        const QString timer = timerFlagOn(field(n, TimerCell)) ? QStringLiteral("ON") : QStringLiteral("OFF");
        const std::string &relay = extras[static_cast<size_t>(n)].relay;
        m_PC_relay[n] = relay.empty() ? QString() : QString::fromStdString(relayText(relay));
        QLabel *info = m_Info_lvl[n - FirstPc];
        QString ip = QStringLiteral("IP = ") + field(n, HostCell);
        // The label's size is fixed: a relay that doesn't fit ends in "…", and its tip has it whole.
        if (!relay.empty())
            ip = info->fontMetrics().elidedText(ip + QStringLiteral(" ") + m_PC_relay[n], Qt::ElideRight,
                                                info->contentsRect().width());
        info->setToolTip(relay.empty() ? QString() : plainTip(m_PC_relay[n]));
        info->setText(ip + CrLf + QStringLiteral("MAC = ") + mac + CrLf + QStringLiteral("Timer = ") + timer +
                      QStringLiteral(" / ") + field(n, WakeTimeCell));
    }
    for (int n = FirstPc; n <= LastPc; ++n) {
        if (!field(n, NameCell).isEmpty())
            m_PCn_start[n]->setText(Orvane::tr("%1 起動").arg(asCaption(field(n, NameCell))));
        showStatus(n, m_PC_mark[n]->reach(), m_PC_status[n]);
    }
}

void MainF::showStatus(int n, Reach reach, const QString &text)
{
    if (n < FirstPc || n > LastPc)
        return;
    m_PC_mark[n]->setReach(reach);
    m_PC_status[n] = text;
    showTip(n);
    m_PC_start[n]->setAccessibleDescription(text);
    m_PCn_start[n]->setIcon(statusIcon(reach));
    m_PCn_start[n]->setToolTip(plainTip(withRelay(n, text)));
    m_PCn_start[n]->setStatusTip(withRelay(n, text));
}

QString MainF::withRelay(int n, const QString &text) const
{
    QStringList lines{text};
    lines << m_PC_relay[n] << nextWakeOf(settingsStore().SettingsTable, settingsStore().ExtrasTable, n);
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

void MainF::setCaption(int n, const QString &caption)
{
    m_PC_start[n]->setText(asCaption(caption));
    m_PC_start[n]->setAccessibleName(caption);
    showTip(n);
}

void MainF::showTip(int n)
{
    // A caption cut short shows whole in the tip, above the state.
    const auto *b = static_cast<const PcButton *>(m_PC_start[n]);
    const QString caption = b->accessibleName();
    const QString state = withRelay(n, m_PC_status[n]);
    m_PC_start[n]->setToolTip(plainTip(b->shownCaption() == caption ? state : caption + QLatin1Char('\n') + state));
}

void MainF::MainDisp_Click()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void MainF::Close_bt_Click()
{
    // With a tray to come back from, hide; without one a hidden window would be lost, so it only
    // goes down to the taskbar.
    if (desktop().trayAvailable())
        hide();
    else
        showMinimized();
}

void MainF::CloseF_Click()
{
    emit exitRequested();
}

void MainF::QuitApli_Click()
{
    CloseF_Click();
}

void MainF::Settings_bt_Click()
{
    emit settingsRequested();
}

void MainF::Setting_Click()
{
    Settings_bt_Click();
}

void MainF::About_Click()
{
    emit aboutRequested();
}

void MainF::PC_start_Click(qint16 Index)
{
    ::orvane::PC_start_Click(m_common, Index);
}

void MainF::PC1_start_Click()
{
    PC_start_Click(1);
}
void MainF::PC2_start_Click()
{
    PC_start_Click(2);
}
void MainF::PC3_start_Click()
{
    PC_start_Click(3);
}
void MainF::PC4_start_Click()
{
    PC_start_Click(4);
}
void MainF::PC5_start_Click()
{
    PC_start_Click(5);
}

void MainF::HelpTopic_Click()
{
    m_common.HtmlHelp_open(hWnd(), helpFile(), m_common.HH_DISPLAY_TREE, 0);
}

void MainF::openHelpAt(int context)
{
    m_common.HtmlHelp_open(hWnd(), helpFile(), m_common.HH_DISPLAY_CONTEXT, static_cast<float>(context));
}

void MainF::Form_MouseMove(int Button, int Shift, float X, float Y)
{
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    Q_UNUSED(Y);
    switch (trayCommand(m_common, trayEventCode(X, TwipsPerPixel))) {
    case TrayCommand::OpenMainMenu:
        popUpAtPointer(m_MainMenu);
        break;
    case TrayCommand::OpenHelpMenu:
        popUpAtPointer(m_Help);
        break;
    case TrayCommand::Nothing:
        break;
    }
}

void MainF::popUpAtPointer(QMenu *menu)
{
    // One pop-up at a time: a press while a menu is open (or about to open) does nothing.
    if (m_poppingUp || QApplication::activePopupWidget())
        return;
    m_poppingUp = true;
    // The foreground request leaves a hidden window hidden.
    m_common.WindowTop(hWnd());
    QCoreApplication::processEvents();
    if (!QApplication::activePopupWidget())
        menu->popup(QCursor::pos());
    m_poppingUp = false;
}

bool MainF::event(QEvent *event)
{
    if (event->type() == TrayNotifyEvent::eventType()) {
        const auto *notify = static_cast<const TrayNotifyEvent *>(event);
        if (notify->message == static_cast<quint32>(m_common.WM_MOUSEMOVE)) {
            const qint32 code = notify->lParam & 0xFFFF;
            Form_MouseMove(0, 0, static_cast<float>(code * TwipsPerPixel), 0);
        }
        return true;
    }
    return QWidget::event(event);
}

void MainF::closeEvent(QCloseEvent *event)
{
    // The title bar's close box does what "閉じる(&C)" does; only the exit commands end the program.
    event->ignore();
    Close_bt_Click();
}

bool MainF::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1) {
        if (auto *menu = qobject_cast<QMenu *>(watched)) {
            const QAction *active = menu->activeAction();
            int context = active ? active->property(HelpContextProperty).toInt() : 0;
            if (context == 0)
                context = HelpContextMain;
            menu->close();
            openHelpAt(context);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvane
