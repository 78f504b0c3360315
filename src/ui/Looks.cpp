#include "ui/Looks.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStringList>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextDocument>
#include <QWidget>

#include <array>

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

QIcon drawnIcon(QSize size, const std::function<void(QPainter &)> &paint)
{
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace orvane
