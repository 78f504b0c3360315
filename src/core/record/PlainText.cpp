#include "core/record/PlainText.h"

#include <cstring>

namespace orvane {

std::string systemError(int err)
{
    return std::strerror(err);
}

} // namespace orvane
