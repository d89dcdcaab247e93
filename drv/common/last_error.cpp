#include "drv/common/last_error.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace lumivex::drv {

namespace {
std::string last_refusal;
}

std::int32_t refuse_port(std::string reason) {
    std::fprintf(stderr, "%s\n", reason.c_str());
    last_refusal = std::move(reason);
    return 0;
}

void forget_refusal() {
    last_refusal.clear();
}

std::int32_t copy_last_refusal(char* buffer, std::int32_t size) {
    if (buffer != nullptr && size > 0) {
        const std::size_t copied =
            std::min(last_refusal.size(), static_cast<std::size_t>(size) - 1);
        std::memcpy(buffer, last_refusal.data(), copied);
        buffer[copied] = '\0';
    }
    constexpr std::size_t most = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::min(last_refusal.size(), most));
}

} // namespace lumivex::drv
