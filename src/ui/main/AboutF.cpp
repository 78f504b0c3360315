#include "ui/main/AboutF.h"

#include "app/Forms.h"
#include "core/Text.h"
#include "ui/main/Looks.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace orvane {

namespace {

constexpr int ClientWidth = 3765;
constexpr int ClientHeight = 2685;

QLabel *centredLabel(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(twips(left), twips(top), twips(width), twips(height));
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return l;
}

QFont withFallback(const QString &family, int pixelSize, bool bold)
{
    QFont font = uiFont(pixelSize, bold);
    QStringList families = font.families();
    families.prepend(family);
    font.setFamilies(families);
    return font;
}

} // namespace

const QString AboutF::MakerLines = QStringLiteral("All Rights Reserved.") + CrLf + QStringLiteral("Orvane Project") +
                                   CrLf + QStringLiteral("Founded in 2024");

AboutF::AboutF(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutF"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowIcon(aboutIcon());
    setFont(uiFont());
    setFixedSize(twips(ClientWidth), twips(ClientHeight));
    setModal(false);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(twips(1200), twips(2040), twips(1380), twips(345));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &AboutF::cmdOK_Click);

    // The picture sized to its 32-pixel icon with a sunken border of two pixels.
    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setGeometry(twips(480), twips(480), twips(540), twips(540));
    m_picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_picIcon->setLineWidth(2);
    m_picIcon->setAlignment(Qt::AlignCenter);
    m_picIcon->setPixmap(programIcon().pixmap(32, 32));
    m_picIcon->setFocusPolicy(Qt::TabFocus);

    // Neither "AR PＰＯＰ５H" nor "ＭＳ Ｐゴシック" comes with Linux; the Gothic stands in at their sizes.
    m_Title_lvl = centredLabel(this, "Title_lvl", 1200, 480, 2055, 375);
    m_Title_lvl->setText(QStringLiteral("Orvane!"));
    m_Title_lvl->setFont(withFallback(QStringLiteral("AR PＰＯＰ５H"), 16, true));
    m_Ver_lvl = centredLabel(this, "Ver_lvl", 1200, 840, 1935, 255);
    m_Ver_lvl->setText(QStringLiteral("Version"));
    m_Ver_lvl->setFont(withFallback(QStringLiteral("ＭＳ Ｐゴシック"), 15, false));
    m_Info_lvl = centredLabel(this, "Info_lvl", 1080, 1320, 2175, 615);

    setTabOrder(m_cmdOK, m_picIcon);
    m_cmdOK->setFocus();
}

void AboutF::Form_Load()
{
    m_Ver_lvl->setText(QStringLiteral("Version ") + m_common.AppVersion);
    m_Info_lvl->setText(MakerLines);
    // Centred by its outer size, as far as the window system tells it before the box is shown.
    winId();
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect whole = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(whole.left() + qRound(whole.width() / 2.0 - outer.width() / 2.0),
             whole.top() + qRound(whole.height() / 2.0 - outer.height() / 2.0));
    }
}

void AboutF::cmdOK_Click()
{
    if (forms().loadedAboutF() == this) {
        forms().unloadAboutF();
    } else {
        hide();
        deleteLater();
    }
}

void AboutF::reject()
{
    cmdOK_Click();
}

void AboutF::closeEvent(QCloseEvent *event)
{
    event->accept();
    cmdOK_Click();
}

} // namespace orvane
