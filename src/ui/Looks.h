#pragma once

#include "core/net/Reachability.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPushButton>
#include <QRect>
#include <QWidget>

class QLabel;
class QPainter;
class QRectF;

class QLineEdit;

namespace orvane {

// The windows' font: a Japanese proportional Gothic at 12 pixels, the size of the classic dialog font,
// with which every caption fits the windows' fixed geometry (15 twips to the pixel).
QFont uiFont();
// The same families at another pixel size and weight.
QFont uiFont(int pixelSize, bool bold);

// The program's icon (16, 32 and 48 pixels): a small computer showing the power mark.
QIcon programIcon();
// The about box's and the settings dialog's own window icons.
QIcon aboutIcon();
QIcon settingsIcon();

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

// The windows' geometry is given in twips, at 15 to the pixel of the classic dialog font.
inline constexpr int TwipsPerPixel = 15;

// Twips to pixels, to the nearest pixel.
constexpr int twips(int value)
{
    return (value + TwipsPerPixel / 2) / TwipsPerPixel;
}

// A control's place given in twips: left, top, width, height.
constexpr QRect twips(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// A label named name at geometry, its text at the top. The text shows as it is: a host or a name
// typed as "<b>x</b>" is not markup.
QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry,
              Qt::Alignment alignment = Qt::AlignLeft);

// A box whose text the program can't use is stored as typed, but it is framed red and its tip says
// what is wrong; an empty problem takes the mark away.
void markBox(QLineEdit *box, const QString &problem);

// A tooltip that shows text as it is: Qt reads a tip that looks like markup as HTML, so a name typed
// or heard as "<b>x</b>" would show bold and an image tag would load. Plain-looking text stays as it is.
QString plainTip(const QString &text);

// Places a window at the centre of its whole screen (not the work area) by its outer size, as far
// as the window system knows it before the window is shown.
void centreOnScreen(QWidget *window);

} // namespace orvane
