#include "platform/QzCmn14.h"

#include "core/services/Conversions.h"

namespace orvane {

namespace {

// Shows the report of a failed conversion; the button that closes the box doesn't matter.
template <typename T> T shown(QzCmn14 &self, const Converted<T> &result)
{
    if (!result.ok())
        self.Msg_Box(self.KindErr, result.report);
    return result.value;
}

} // namespace

QString QzCmn14::LongTo16bit(const qint32 &cvLong)
{
    return shown(*this, longTo16bit(cvLong));
}

qint16 QzCmn14::LongToInt(const qint32 &cvLong)
{
    return shown(*this, longToInt(cvLong));
}

QString QzCmn14::LongToHex(const qint32 &cvLong)
{
    return longToHex(cvLong);
}

qint16 QzCmn14::HexToInt(QString &cvHex)
{
    cvHex = cvHex.toUpper();
    return shown(*this, hexToInt(cvHex));
}

qint32 QzCmn14::HexToLong(QString &cvHex)
{
    cvHex = cvHex.toUpper();
    return shown(*this, hexToLong(cvHex));
}

qint32 QzCmn14::IntToLong(const qint16 &cvInt)
{
    return intToLong(cvInt);
}

} // namespace orvane
