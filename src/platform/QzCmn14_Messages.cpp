#include "platform/QzCmn14.h"

#include "core/services/UiText.h"

#include "core/services/Conversions.h"
#include "core/settings/Cp932.h"
#include "core/settings/Text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvane {

namespace {

struct BoxKind {
    QString QzCmn14::*word;
    QVariant QzCmn14::*beep;
    int style;
    const char *title; // UTF-8
};

// Compared in this order; the error kind beeps with the exclamation sound although it shows the stop icon.
const std::array<BoxKind, 7> BoxKinds{{
    {&QzCmn14::KindErr, &QzCmn14::MB_Warning, 16, "Error"},
    {&QzCmn14::KindChk, &QzCmn14::MB_Question, 32, QT_TRANSLATE_NOOP("Orvane", "確認")},
    {&QzCmn14::KindInfo, &QzCmn14::MB_Info, 64, QT_TRANSLATE_NOOP("Orvane", "情報")},
    {&QzCmn14::KindOkc, &QzCmn14::MB_Question, 33, QT_TRANSLATE_NOOP("Orvane", "確認")},
    {&QzCmn14::KindYn, &QzCmn14::MB_Question, 36, QT_TRANSLATE_NOOP("Orvane", "確認")},
    {&QzCmn14::KindYnc, &QzCmn14::MB_Question, 35, QT_TRANSLATE_NOOP("Orvane", "確認")},
    {&QzCmn14::KindRc, &QzCmn14::MB_Question, 37, QT_TRANSLATE_NOOP("Orvane", "再試行")},
}};

// Counted in a 16-bit counter that overflows when it steps past the last character of a longer text.
constexpr qsizetype LenByteLimit = 32766;
constexpr qint32 OverflowError = 6;

} // namespace

PendingError &pendingError()
{
    static PendingError error;
    return error;
}

void raisePendingError(qint32 number, const QString &description, const QString &helpFile, qint32 helpContext)
{
    pendingError() = PendingError{number, description, helpFile, helpContext};
}

qint16 QzCmn14::Msg_Box(const QString &BT_kind, const QString &prompt)
{
    for (const BoxKind &kind : BoxKinds) {
        if (BT_kind != this->*kind.word)
            continue;
        MsgBeep((this->*kind.beep).toInt());
        return static_cast<qint16>(desktop().messageBox(prompt, Orvane::tr(kind.title), kind.style));
    }
    return 0;
}

QVariant QzCmn14::MsgBeep(qint32 sound)
{
    desktop().messageBeep(sound);
    return QVariant();
}

void QzCmn14::Err_Msg(const QString &Procedure_name)
{
    // Cleared as soon as it is read: handlers run while the box is up, and an error they leave
    // pending must not be wiped when this box closes.
    const PendingError error = std::exchange(pendingError(), PendingError{});
    desktop().messageBeep(MB_Syserr.toInt());
    const QString text = Orvane::tr("エラー番号%1 %2\r\n\r\nプロシージャ名 = [%3]")
                             .arg(signedText(error.number), error.description, Procedure_name);
    // 0x1010: system-modal, OK, stop icon.
    desktop().messageBoxWithHelp(text, Orvane::tr("予期せぬエラー"), 0x1010, error.helpFile, error.helpContext);
}

// A text longer than the counter can step through is refused the way an overflow always was: the
// result is 0 and the overflow is left as the pending error for the caller's Err_Msg. Callers that
// can meet such texts check pendingError().number.
qint32 QzCmn14::LenByte(const QString &str)
{
    if (str.size() > LenByteLimit) {
        raisePendingError(OverflowError, Orvane::tr("オーバーフローしました。"));
        return 0;
    }
    // Fields are mostly ASCII, one byte each in code page 932; only other texts need the converter.
    if (std::all_of(str.cbegin(), str.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return static_cast<qint32>(str.size());
    // One byte per single-byte character, two per double-byte one, and one for each UTF-16 unit
    // the code page can't hold (it becomes '?'): the same total as summing every character's width.
    return static_cast<qint32>(toCp932(str).size());
}

QString QzCmn14::IntToHex(const qint16 &cvInt)
{
    // Every 16-bit value has a four-digit pattern, so the error report of this member never shows.
    return intToHex(cvInt);
}

} // namespace orvane
