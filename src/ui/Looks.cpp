#include "ui/Looks.h"

#include <QGuiApplication>
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

QIcon statusIcon(Reach reach)
{
    auto dot = [](const QColor &fill, const QColor &rim) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        if (fill.isValid()) {
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(rim, 1));
            p.setBrush(fill);
            p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        }
        return QIcon(pixmap);
    };
    static const QIcon answered = dot(QColor(0x2E, 0xB8, 0x4B), QColor(0x1B, 0x7A, 0x30));
    static const QIcon noAnswer = dot(QColor(0xA8, 0xA8, 0xA8), QColor(0x70, 0x70, 0x70));
    static const QIcon otherMac = dot(QColor(0xF0, 0xA0, 0x20), QColor(0xA8, 0x68, 0x08));
    static const QIcon notChecked = dot(QColor(), QColor());
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
