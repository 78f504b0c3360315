#include "core/PlainText.h"

#include <cstring>

namespace orvane {

std::string systemError(int err)
{
    return std::strerror(err);
}

} // namespace orvane
