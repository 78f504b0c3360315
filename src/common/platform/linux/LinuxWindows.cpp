#include "common/platform/linux/LinuxDesktop.h"

namespace orvane {

bool LinuxDesktop::notifyIcon(int, const TrayRecord &) { return false; }
qint32 LinuxDesktop::findWindow(const QString &) { return 0; }
bool LinuxDesktop::setForegroundWindow(qint32) { return false; }
bool LinuxDesktop::setTopMost(qint32, bool) { return false; }
bool LinuxDesktop::closeWindow(qint32) { return false; }
qint32 LinuxDesktop::htmlHelp(qint32, const QString &, int, qint32) { return 0; }

} // namespace orvane
