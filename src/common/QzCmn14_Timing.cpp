#include "common/QzCmn14.h"

#include "core/Clock.h"
#include "core/TimeText.h"

namespace orvane {

QString QzCmn14::GetTime() { return roundedTimeText(clock().secondsSinceMidnight()); }

QVariant QzCmn14::PlayWaveSound(const QString &WavFileName)
{
    desktop().playSound(WavFileName);
    return QVariant();
}

} // namespace orvane
