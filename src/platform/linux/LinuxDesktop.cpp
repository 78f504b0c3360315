#include "platform/linux/LinuxDesktop.h"

namespace orvane {

LinuxDesktop::LinuxDesktop() = default;
LinuxDesktop::~LinuxDesktop() = default;

} // namespace orvane
