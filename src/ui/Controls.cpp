#include "ui/Controls.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTextDocument>
#include <QWidget>

namespace orvane {

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry, Qt::Alignment alignment)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    l->setAlignment(alignment | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QString plainTip(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
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

void markBox(QLineEdit *box, const QString &problem)
{
    box->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("QLineEdit { border: 1px solid red; }"));
    box->setToolTip(plainTip(problem));
}

} // namespace orvane
