#pragma once

// A PC's state as the windows and the tray menu show it: colours, shapes, icons and the PC buttons.

#include "core/net/Reachability.h"

#include <QColor>
#include <QIcon>
#include <QPushButton>
#include <QRect>
#include <QWidget>

class QPainter;
class QRectF;

namespace orvane {

// A PC's state as the colours of its mark: fill and rim (no fill for a PC that wasn't checked). The
// one place that chooses them, for the buttons and the tray menu alike.
struct StatusColours {
    QColor fill;
    QColor rim;
};
StatusColours statusColours(Reach reach);

// A PC's mark in box: each state its own shape with a symbol inside as well as its colour, so that
// no state needs colour vision to be told (a ticked dot, a barred square, a triangle with "!", a
// diamond with a dot, an open ring for a PC that wasn't checked). Vectors, crisp at any scale.
void paintStatusMark(QPainter &p, const QRectF &box, Reach reach);

// A PC's mark for a menu entry (16 pixels, and 32 for a screen at 200 %); the same size in every
// state, so the entry's text never moves.
QIcon statusIcon(Reach reach);

// A PC button's mark: in the button's left margin, centred on its height, painted over the button
// (an icon would make the caption's room depend on the style). The button owns it.
inline constexpr int MarkSize = 11;
inline constexpr int MarkMargin = 3;
class StatusMark : public QWidget {
public:
    explicit StatusMark(QWidget *button);
    void setReach(Reach reach);
    Reach reach() const { return m_reach; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Reach m_reach = Reach::NotChecked;
};
// A PC's button: its caption centred in the room right of its mark, shortened at its end with "…"
// where it doesn't fit there; the accessible name carries it whole. The button keeps its size.
class PcButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    // The caption as it is painted.
    QString shownCaption() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect captionRect() const;
};

} // namespace orvane
