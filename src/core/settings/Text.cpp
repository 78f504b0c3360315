#include "core/settings/Text.h"

namespace orvane {

QString signedText(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

} // namespace orvane
