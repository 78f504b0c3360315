#include "ui/Looks.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStringList>
#include <QWidget>

// The resources live in a static library: nothing would pull them in otherwise.
static void initOrvaneResources()
{
    Q_INIT_RESOURCE(orvane);
}

namespace orvane {

namespace {

QIcon iconFrom(const QString &stem, std::initializer_list<int> sizes)
{
    initOrvaneResources();
    QIcon icon;
    for (int size : sizes)
        icon.addFile(QStringLiteral(":/orvane/icons/%1-%2.png").arg(stem).arg(size), QSize(size, size));
    return icon;
}

} // namespace

QFont uiFont()
{
    return uiFont(12, false);
}

QFont uiFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QIcon programIcon()
{
    static const QIcon icon = iconFrom(QStringLiteral("orvane"), {16, 32, 48});
    return icon;
}

QIcon aboutIcon()
{
    static const QIcon icon = iconFrom(QStringLiteral("about"), {16, 32});
    return icon;
}

QIcon settingsIcon()
{
    static const QIcon icon = iconFrom(QStringLiteral("settings"), {32, 16});
    return icon;
}

StatusColours statusColours(Reach reach)
{
    switch (reach) {
    case Reach::Answered:
        return {QColor(0x2E, 0xB8, 0x4B), QColor(0x1B, 0x7A, 0x30)};
    case Reach::NoAnswer:
        return {QColor(0xA8, 0xA8, 0xA8), QColor(0x70, 0x70, 0x70)};
    case Reach::OtherMac:
        return {QColor(0xF0, 0xA0, 0x20), QColor(0xA8, 0x68, 0x08)};
    case Reach::NotChecked:
        break;
    }
    return {};
}

namespace {

void paintDot(QPainter &p, const QRectF &where, Reach reach)
{
    const StatusColours colours = statusColours(reach);
    if (!colours.fill.isValid())
        return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colours.rim, 1));
    p.setBrush(colours.fill);
    p.drawEllipse(where);
}

} // namespace

QIcon statusIcon(Reach reach)
{
    auto dot = [](Reach r) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paintDot(p, QRectF(3.5, 3.5, 9, 9), r);
        p.end();
        return QIcon(pixmap);
    };
    static const QIcon answered = dot(Reach::Answered);
    static const QIcon noAnswer = dot(Reach::NoAnswer);
    static const QIcon otherMac = dot(Reach::OtherMac);
    static const QIcon notChecked = dot(Reach::NotChecked);
    switch (reach) {
    case Reach::Answered:
        return answered;
    case Reach::OtherMac:
        return otherMac;
    case Reach::NoAnswer:
        return noAnswer;
    case Reach::NotChecked:
        break;
    }
    return notChecked;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry, Qt::Alignment alignment)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    l->setAlignment(alignment | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    return l;
}

StatusMark::StatusMark(QWidget *button) : QWidget(button)
{
    setObjectName(QStringLiteral("status_mark"));
    // Clicks and the keyboard stay the button's.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // Above the caption, whose glyphs start a few pixels further down.
    setGeometry(3, 1, 6, 6);
    show();
}

void StatusMark::setReach(Reach reach)
{
    m_reach = reach;
    update();
}

void StatusMark::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintDot(p, QRectF(0.5, 0.5, width() - 1, height() - 1), m_reach);
}

void centreOnScreen(QWidget *window)
{
    window->winId();
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect whole = screen->geometry();
    const QSize outer = window->frameGeometry().size();
    window->move(whole.left() + qRound(whole.width() / 2.0 - outer.width() / 2.0),
                 whole.top() + qRound(whole.height() / 2.0 - outer.height() / 2.0));
}

} // namespace orvane
