#pragma once

#include "app/notice.h"

#include <cstdio>
#include <string_view>

// For a check in a QEMU guest: the program's notices, printed for the host to compare.
class PrintedNotices final : public lumivex::app::NoticeSink {
public:
    lumivex::app::Answer show(lumivex::app::NoticeOwner, std::string_view text, std::string_view,
                              lumivex::app::NoticeKind) override {
        std::printf("notice: %.*s\n", static_cast<int>(text.size()), text.data());
        return lumivex::app::Answer::ok;
    }
};
