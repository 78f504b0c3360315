#include "ui/Looks.h"

#include <QGuiApplication>
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
