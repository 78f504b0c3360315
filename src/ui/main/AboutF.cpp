#include "ui/main/AboutF.h"

#include "core/services/UiText.h"

#include "core/settings/Text.h"
#include "ui/Controls.h"
#include "ui/Looks.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace orvane {

namespace {

constexpr int ClientWidth = 3765;
constexpr int ClientHeight = 2685;

QLabel *centredLabel(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(twips(left, top, width, height));
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
    setWindowTitle(Orvane::tr("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowIcon(aboutIcon());
    setFont(uiFont());
    setFixedSize(twips(ClientWidth), twips(ClientHeight));
    setModal(false);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(twips(1200, 2040, 1380, 345));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &AboutF::cmdOK_Click);

    // The picture sized to its 32-pixel icon with a sunken border of two pixels.
    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setGeometry(twips(480, 480, 540, 540));
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
    centreOnScreen(this);
}

void AboutF::cmdOK_Click()
{
    emit unloadRequested();
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
