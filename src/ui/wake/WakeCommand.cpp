#include "ui/wake/WakeCommand.h"

#include "core/net/Reachability.h"
#include "core/net/WakeSender.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/WakeTable.h"
#include "core/wake/MagicPacket.h"
#include "platform/QzCmn14.h"

namespace orvane {

QByteArray MagicPacket(MagicPacketBytes, '\0');
QString StartedPcName;

WakeEvents &wakeEvents()
{
    static WakeEvents events;
    return events;
}

void PC_start_Click(QzCmn14 &common, qint16 Index)
{
    if (Index < FirstPc || Index > LastPc)
        return;
    const SettingsGrid &table = settingsStore().SettingsTable;
    std::string packet;
    const WakeResult result = wake(wakeSettingsOf(table, Index), &packet);
    if (!packet.empty())
        MagicPacket = QByteArray::fromStdString(packet);
    if (!result) {
        common.Msg_Box(common.KindErr, wakeText(result.error));
        return;
    }
    common.PlayWaveSound(common.MB_Info.toString());
    StartedPcName = table.value(Index, NameCell);
    emit wakeEvents().started(Index);
    // Nothing sent wakes nothing; a broadcast or multicast address answers for no one PC.
    if (result->sent > 0 && addressKind(result->target.address) == AddressKind::OneMachine)
        emit wakeEvents().answerAwaited(Index);
}

} // namespace orvane
