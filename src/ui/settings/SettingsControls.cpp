// The settings dialog's controls: where they are, their focus order and what they are wired to.

#include "ui/settings/Settings.h"

#include "core/services/UiText.h"

#include "core/time/WakeSchedule.h"
#include "ui/Controls.h"
#include "ui/Looks.h"
#include "ui/main/MainF.h"
#include "ui/settings/Finder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

namespace orvane {

namespace {

constexpr int rowTop(int n)
{
    return 1320 + 360 * (n - 1);
}

// A click never makes the grey state; it only comes from a stored 2, and a click on it checks the
// box, as the usual three-state cycle does.
class TimerCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override
    {
        const bool wasGrey = checkState() == Qt::PartiallyChecked;
        setTristate(false);
        if (wasGrey)
            setCheckState(Qt::Checked);
        else
            QCheckBox::nextCheckState();
    }
};

QLineEdit *textBox(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *t = new QLineEdit(parent);
    t->setObjectName(name);
    t->setGeometry(geometry);
    return t;
}

QString indexed(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

// A wake time that names no time will never come.
void markWakeTime(QLineEdit *box)
{
    const QString text = box->text();
    const bool noTime = !text.trimmed().isEmpty() && wakeTimeOf(text).isEmpty();
    markBox(box, noTime ? Orvane::tr("時刻として読めないため、この時刻にタイマーで起動することはありません。"
                                     "hh:mm:ss の形で入力してください。")
                        : QString());
}

// Three dots, drawn: the gap beside the MAC boxes is narrower than the ellipsis of the font.
QIcon moreIcon()
{
    return drawnIcon(QSize(9, 9), [](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QApplication::palette().color(QPalette::ButtonText));
        for (const qreal x : {1.5, 4.5, 7.5})
            p.drawEllipse(QPointF(x, 5), 1.1, 1.1);
    });
}

} // namespace

Settings::Settings(QWidget *parent) : QWidget(parent)
{
    placeControls();
    orderFocus();
    connectControls();
}

void Settings::placeControls()
{

    setObjectName(QStringLiteral("Settings"));
    // Title bar with system menu and close box, no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(Orvane::tr("設定"));
    setWindowIcon(settingsIcon());
    setFixedSize(twips(7860), twips(3165));
    // The windows' font one pixel smaller: at 12 pixels the timer heading runs past the dialog's edge
    // and the host heading's second line past its label.
    setFont(uiFont(11, false));

    label(this, "Label1", Orvane::tr("ポート番号"), twips(240, 120, 1095, 255));
    port_txt = textBox(this, QStringLiteral("port_txt"), twips(2640, 120, 855, 270));
    label(this, "Label2", Orvane::tr("マジックパケット送信回数"), twips(240, 480, 2055, 255));

    send_qty_cmb = new QComboBox(this);
    send_qty_cmb->setObjectName(QStringLiteral("send_qty_cmb"));
    send_qty_cmb->setGeometry(twips(2640, 480, 855, 300));
    send_qty_cmb->setEditable(true);
    // The list is fixed: Enter must not add the typed text to it, and typing is not completed.
    send_qty_cmb->setInsertPolicy(QComboBox::NoInsert);
    send_qty_cmb->setCompleter(nullptr);

    update_bt = new QPushButton(Orvane::tr("更新(&U)"), this);
    update_bt->setObjectName(QStringLiteral("update_bt"));
    update_bt->setGeometry(twips(6480, 120, 1215, 375));
    cancel_bt = new QPushButton(Orvane::tr("キャンセル(&C)"), this);
    cancel_bt->setObjectName(QStringLiteral("cancel_bt"));
    cancel_bt->setGeometry(twips(6480, 600, 1215, 375));
    // Enter presses the focused button, but neither is a default button that Enter in a text box
    // would press: there Enter moves on. Esc does nothing.
    update_bt->setAutoDefault(true);
    cancel_bt->setAutoDefault(true);
    // In the free space beside the buttons, clear of every other control.
    find_bt = new QPushButton(Orvane::tr("探す(&F)…"), this);
    find_bt->setObjectName(QStringLiteral("find_bt"));
    find_bt->setGeometry(twips(5040, 600, 1215, 375));
    find_bt->setAutoDefault(true);
    find_bt->setToolTip(plainTip(Orvane::tr("このネットワークの PC を探して、MAC アドレスとホストを入れます")));

    label(this, "Label3", Orvane::tr("PC名"), twips(600, 1080, 615, 255), Qt::AlignHCenter);
    QLabel *hostHeading = label(this, "Label4", Orvane::tr("Host or IPアドレス"), twips(1920, 960, 855, 375));
    hostHeading->setWordWrap(true);
    label(this, "Label5", Orvane::tr("MACアドレス"), twips(4080, 1080, 975, 255));
    label(this, "Label11", Orvane::tr("ﾀｲﾏｰON/時間(hh:mm:ss)"), twips(5880, 1080, 1935, 255));

    for (int n = FirstPc; n <= LastPc; ++n) {
        const int k = n - FirstPc;
        const int top = rowTop(n);
        label(this, QByteArray("Label" + QByteArray::number(5 + n)).constData(), QString::number(n),
              twips(120, top, 135, 255));
        pc_txt.append(textBox(this, indexed("pc_txt", k), twips(360, top, 1095, 270)));
        IP_txt.append(textBox(this, indexed("IP_txt", k), twips(1680, top, 1215, 270)));
        for (int j = 0; j < MacCells; ++j)
            MAC_txt.append(textBox(this, indexed("MAC_txt", MacCells * k + j), twips(3120 + 480 * j, top, 375, 270)));
        auto *check = new TimerCheckBox(this);
        check->setObjectName(indexed("timer_chk", k));
        check->setGeometry(twips(6120, top, 255, 375));
        timer_chk.append(check);
        time_txt.append(textBox(this, indexed("time_txt", k), twips(6480, top, 1215, 270)));
        // In the gap between the MAC boxes and the timer's check box.
        auto *details = new QPushButton(this);
        details->setIcon(moreIcon());
        details->setIconSize(QSize(9, 9));
        details->setObjectName(indexed("detail_bt", k));
        details->setGeometry(twips(5910, top, 195, 270));
        details->setAutoDefault(true);
        details->setToolTip(plainTip(Orvane::tr("PC%1 の詳細: 経由先 (ssh)").arg(n)));
        details->setAccessibleName(Orvane::tr("PC%1 の詳細").arg(n));
        detail_bt.append(details);
        QLineEdit *time = time_txt.last();
        connect(time, &QLineEdit::textChanged, this, [time] { markWakeTime(time); });
    }
}

void Settings::orderFocus()
{
    // Focus order 0, 1, then 10n ... 10n + 9 for row n, then 60, 61.
    QList<QWidget *> order{port_txt, send_qty_cmb};
    for (int n = FirstPc; n <= LastPc; ++n) {
        const int k = n - FirstPc;
        order << pc_txt[k] << IP_txt[k];
        for (int j = 0; j < MacCells; ++j)
            order << MAC_txt[MacCells * k + j];
        order << timer_chk[k] << time_txt[k];
    }
    order << update_bt << cancel_bt << find_bt;
    for (QPushButton *details : detail_bt)
        order << details;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    for (QWidget *w : order)
        if (!qobject_cast<QPushButton *>(w))
            w->installEventFilter(this);
}

void Settings::connectControls()
{
    for (int n = FirstPc; n <= LastPc; ++n) {
        m_learning.append(nullptr);
        m_learningHost.append(QString());
    }
    for (int i = 0; i < MAC_txt.size(); ++i) {
        m_macSeen.append(QString());
        // textEdited comes before textChanged, so m_macSeen still holds the text before the edit.
        connect(MAC_txt[i], &QLineEdit::textEdited, this, [this, i](const QString &text) { MAC_txt_Edited(i, text); });
        connect(MAC_txt[i], &QLineEdit::textChanged, this, [this, i](const QString &text) {
            m_macSeen[i] = text;
            markMacRow(i / MacCells);
        });
    }
    // The finder's marks follow the rows as they are edited.
    for (const QList<QLineEdit *> *boxes : {&pc_txt, &IP_txt, &MAC_txt})
        for (QLineEdit *box : *boxes)
            connect(box, &QLineEdit::textChanged, this, [this] {
                if (m_finder)
                    m_finder->refreshMarks();
            });

    // Every control of the dialog has the settings' help topic.
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] {
        m_common.HtmlHelp_open(static_cast<qint32>(winId()), MainF::helpFile(), m_common.HH_DISPLAY_CONTEXT,
                               static_cast<float>(MainF::HelpContextSettings));
    });

    connect(update_bt, &QPushButton::clicked, this, &Settings::update_bt_Click);
    connect(cancel_bt, &QPushButton::clicked, this, &Settings::cancel_bt_Click);
    connect(find_bt, &QPushButton::clicked, this, &Settings::find_bt_Click);
    for (int k = 0; k < detail_bt.size(); ++k)
        connect(detail_bt[k], &QPushButton::clicked, this, [this, k] { detail_bt_Click(FirstPc + k); });
}

} // namespace orvane
