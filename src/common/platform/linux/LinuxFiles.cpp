#include "common/platform/linux/LinuxDesktop.h"

namespace orvane {

bool LinuxDesktop::shellOpen(qint32, const QString &) { return false; }
QString LinuxDesktop::browseForFolder(qint32, const QString &) { return QString(); }
QString LinuxDesktop::fileDialog(const FileDialogRequest &) { return QString(); }
bool LinuxDesktop::exitSession(int) { return false; }

} // namespace orvane
