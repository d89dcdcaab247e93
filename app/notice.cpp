#include "app/notice.h"

#include <cstdio>

namespace lumivex::app {

namespace {
NoticeSink* installed_sink = nullptr;
}

void set_notice_sink(NoticeSink* sink) {
    installed_sink = sink;
}

Answer show_notice(NoticeOwner owner, std::string_view text, std::string_view caption,
                   NoticeKind kind) {
    if (installed_sink != nullptr)
        return installed_sink->show(owner, text, caption, kind);
    // Without a front end nobody can answer; a question is taken as Yes so the action goes on.
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return kind == NoticeKind::question ? Answer::yes : Answer::ok;
}

} // namespace lumivex::app
