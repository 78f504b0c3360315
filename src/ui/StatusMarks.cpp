#include "ui/StatusMarks.h"

#include "ui/Looks.h"

#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <array>

namespace orvane {

StatusColours statusColours(Reach reach)
{
    switch (reach) {
    case Reach::Answered:
        return {QColor(0x2E, 0xB8, 0x4B), QColor(0x1B, 0x7A, 0x30)};
    case Reach::NoAnswer:
        return {QColor(0x8C, 0x8C, 0x8C), QColor(0x5A, 0x5A, 0x5A)};
    case Reach::OtherMac:
        return {QColor(0xF0, 0xA0, 0x20), QColor(0xA8, 0x68, 0x08)};
    case Reach::LinkOnly:
        return {QColor(0x3A, 0x7B, 0xD5), QColor(0x1F, 0x4E, 0x94)};
    case Reach::RelayUnreachable:
        return {QColor(Qt::transparent), QColor(0xB0, 0x30, 0x30)};
    case Reach::NotChecked:
        break;
    }
    return {QColor(Qt::transparent), QColor(0x80, 0x80, 0x80)};
}

void paintStatusMark(QPainter &p, const QRectF &box, Reach reach)
{
    const StatusColours colours = statusColours(reach);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // In a 12-unit square: the shape tells the state without its colour, the symbol inside repeats it.
    p.translate(box.topLeft());
    p.scale(box.width() / 12.0, box.height() / 12.0);
    p.setPen(QPen(colours.rim, 1));
    p.setBrush(colours.fill);
    QPen symbol(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (reach) {
    case Reach::Answered: // a round dot with a tick
        p.drawEllipse(QRectF(0.5, 0.5, 11, 11));
        p.setPen(symbol);
        p.drawPolyline(QPolygonF({{3.2, 6.2}, {5.2, 8.2}, {8.8, 3.8}}));
        break;
    case Reach::NoAnswer: // a square with a bar
        p.drawRect(QRectF(1, 1, 10, 10));
        p.setPen(symbol);
        p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
        break;
    case Reach::OtherMac: // a triangle with an exclamation mark
        p.drawPolygon(QPolygonF({{6, 0.5}, {11.5, 11}, {0.5, 11}}));
        symbol.setColor(QColor(0x40, 0x28, 0x00));
        p.setPen(symbol);
        p.drawLine(QPointF(6, 4.2), QPointF(6, 7.2));
        p.drawPoint(QPointF(6, 9.3));
        break;
    case Reach::LinkOnly: // a diamond with a dot: the link answers, the PC doesn't
        p.drawPolygon(QPolygonF({{6, 0.3}, {11.7, 6}, {6, 11.7}, {0.3, 6}}));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(6, 6), 1.7, 1.7);
        break;
    case Reach::NotChecked: // an open ring
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 8, 8));
        break;
    case Reach::RelayUnreachable: // a struck-through ring: the way to the PC is shut
        p.setPen(QPen(colours.rim, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.drawLine(QPointF(2.8, 9.2), QPointF(9.2, 2.8));
        break;
    }
    p.restore();
}

QIcon statusIcon(Reach reach)
{
    // At 16 pixels and at twice that for a screen at 200 %, drawn for each rather than scaled.
    auto icon = [](Reach r) {
        return drawnIcon(QSize(16, 16), [r](QPainter &p) { paintStatusMark(p, QRectF(2, 2, 12, 12), r); });
    };
    static const std::array<QIcon, 6> icons{icon(Reach::NotChecked), icon(Reach::Answered),
                                            icon(Reach::NoAnswer),   icon(Reach::OtherMac),
                                            icon(Reach::LinkOnly),   icon(Reach::RelayUnreachable)};
    return icons[static_cast<size_t>(reach)];
}

StatusMark::StatusMark(QWidget *button) : QWidget(button)
{
    setObjectName(QStringLiteral("status_mark"));
    // Clicks and the keyboard stay the button's.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // In the button's left margin, centred on its height; the caption keeps clear of it.
    setGeometry(MarkMargin, (button->height() - MarkSize) / 2, MarkSize, MarkSize);
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
    paintStatusMark(p, QRectF(0, 0, width(), height()), m_reach);
}

QRect PcButton::captionRect() const
{
    const int left = MarkMargin + MarkSize + 2;
    return QRect(left, 0, width() - left - MarkMargin, height());
}

QString PcButton::shownCaption() const
{
    // The text keeps a typed "&" doubled, as a caption without an access key must.
    const QString plain = QString(text()).replace(QLatin1String("&&"), QLatin1String("&"));
    return fontMetrics().elidedText(plain, Qt::ElideRight, captionRect().width());
}

void PcButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    p.drawItemText(captionRect(), Qt::AlignCenter | Qt::TextHideMnemonic, palette(), isEnabled(),
                   QString(shownCaption()).replace(QLatin1Char('&'), QLatin1String("&&")), QPalette::ButtonText);
}

} // namespace orvane
