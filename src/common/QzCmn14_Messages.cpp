#include "common/QzCmn14.h"

#include <array>

namespace orvane {

namespace {

struct BoxKind {
    const char *word;
    int beep; // an MB_ sound value
    int style;
    const char *title; // UTF-8
};

// Compared in this order; the error kind beeps with the exclamation sound although it shows the stop icon.
constexpr std::array<BoxKind, 7> BoxKinds{{
    {"err", 48, 16, "Error"},
    {"chk", 32, 32, "確認"},
    {"info", 64, 64, "情報"},
    {"okc", 32, 33, "確認"},
    {"yn", 32, 36, "確認"},
    {"ync", 32, 35, "確認"},
    {"rc", 32, 37, "再試行"},
}};

} // namespace

qint16 QzCmn14::Msg_Box(const QString &BT_kind, const QString &prompt)
{
    for (const BoxKind &kind : BoxKinds) {
        if (BT_kind != QLatin1String(kind.word))
            continue;
        MsgBeep(kind.beep);
        return static_cast<qint16>(desktop().messageBox(prompt, QString::fromUtf8(kind.title), kind.style));
    }
    return 0;
}

QVariant QzCmn14::MsgBeep(qint32 sound)
{
    desktop().messageBeep(sound);
    return QVariant();
}

} // namespace orvane
