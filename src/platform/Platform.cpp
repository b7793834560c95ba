#include "platform/Platform.h"

namespace tesmaro {
namespace {
Platform g_platform;
} // namespace

Platform& platform() {
    return g_platform;
}

void installPlatform(const Platform& p) {
    g_platform = p;
}

} // namespace tesmaro
