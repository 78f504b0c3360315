#include "wake/PcStart.h"

#include "app/Forms.h"
#include "app/SettingsModule.h"
#include "common/QzCmn14.h"
#include "core/MagicPacket.h"
#include "core/WakeSender.h"
#include "core/WakeTable.h"
#include "wake/Dialog.h"

namespace orvane {

QByteArray MagicPacket(MagicPacketBytes, '\0');
QString StartedPcName;

void PC_start_Click(QzCmn14 &common, qint16 Index)
{
    if (Index < FirstPc || Index > LastPc)
        return;
    const WakeSettings settings = wakeSettingsOf(SettingsTable, Index);
    std::string packet;
    const WakeResult result = wake(settings, &packet);
    if (!packet.empty())
        MagicPacket = QByteArray::fromStdString(packet);
    if (!result.ok) {
        common.Msg_Box(common.KindErr, wakeText(result.error));
        return;
    }
    common.PlayWaveSound(common.MB_Info.toString());
    StartedPcName = SettingsTable.value(Index, 0);
    // An open notice keeps its text and its own five seconds.
    if (Dialog *notice = forms().dialog())
        notice->show();
}

} // namespace orvane
