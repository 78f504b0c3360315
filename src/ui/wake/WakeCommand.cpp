#include "ui/wake/WakeCommand.h"

#include "core/net/HostLookup.h"
#include "core/net/Reachability.h"
#include "core/net/WakeSender.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/WakeTable.h"
#include "core/wake/MagicPacket.h"
#include "platform/QzCmn14.h"
#include "ui/BackgroundJob.h"

#include <QSet>

namespace orvane {

QByteArray MagicPacket(MagicPacketBytes, '\0');
QString StartedPcName;

WakeEvents &wakeEvents()
{
    static WakeEvents events;
    return events;
}

namespace {

// The ends of a command that got past the checks, on the GUI thread.
void finish(QzCmn14 &common, qint16 Index, const WakeSettings &settings, const QString &name, const WakeResult &result)
{
    if (!result) {
        common.Msg_Box(common.KindErr, wakeText(result.error));
        return;
    }
    common.PlayWaveSound(common.MB_Info.toString());
    StartedPcName = name;
    emit wakeEvents().started(Index);
    // Nothing sent wakes nothing; a broadcast or multicast address answers for no one PC. Through a
    // relay only a numeric host tells that here.
    if (result->sent <= 0)
        return;
    const std::optional<HostAddress> numeric = result->relayed ? numericHost(settings.host) : result->target;
    const AddressKind kind = !numeric          ? AddressKind::OneMachine
                             : result->relayed ? addressKind(numeric->address, {})
                                               : addressKind(numeric->address);
    if (kind == AddressKind::OneMachine)
        emit wakeEvents().answerAwaited(Index);
}

// PCs whose wake through their relay is under way: another click meanwhile would only wake twice.
QSet<qint16> &relayWakes()
{
    static QSet<qint16> running;
    return running;
}

} // namespace

void PC_start_Click(QzCmn14 &common, qint16 Index)
{
    if (Index < FirstPc || Index > LastPc)
        return;
    const SettingsStore &store = settingsStore();
    const WakeSettings settings = wakeSettingsOf(store.SettingsTable, store.ExtrasTable, Index);
    const QString name = store.SettingsTable.value(Index, NameCell);
    if (settings.via.relay.empty()) {
        std::string packet;
        const WakeResult result = wake(settings, &packet);
        if (!packet.empty())
            MagicPacket = QByteArray::fromStdString(packet);
        finish(common, Index, settings, name, result);
        return;
    }
    // The checks are the same; the relay takes seconds, so ssh runs off the GUI thread, and the end
    // of the program ends it.
    const WakeCheck check = checkWake(settings);
    if (!check) {
        common.Msg_Box(common.KindErr, wakeText(check.error));
        return;
    }
    MagicPacket = QByteArray::fromStdString(check->packet);
    if (relayWakes().contains(Index))
        return;
    relayWakes().insert(Index);
    BackgroundJob::start(&wakeEvents(), [&common, Index, settings, name](BackgroundJob &job) {
        const WakeResult result = wake(settings, nullptr, &job.cancel);
        job.post([&common, Index, settings, name, result] {
            relayWakes().remove(Index);
            finish(common, Index, settings, name, result);
        });
    });
}

} // namespace orvane
