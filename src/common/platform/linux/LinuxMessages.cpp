#include "common/platform/linux/LinuxDesktop.h"

namespace orvane {

int LinuxDesktop::messageBox(const QString &, const QString &, int) { return 0; }
void LinuxDesktop::messageBeep(int) {}
void LinuxDesktop::playSound(const QString &) {}

} // namespace orvane
