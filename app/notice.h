#pragma once

#include <string_view>

namespace lumivex::app {

// The four kinds of message box the program shows; each module reports with one of them.
enum class NoticeKind {
    error,       // OK button, stop icon
    information, // OK button, information icon
    plain,       // OK button, no icon
    question,    // Yes and No buttons, no icon
};

// Who owns a notice. The main window holds no window while the dialog runs, so its notices
// have no owner; the dialog's own notices are owned by (and centred on) the dialog.
enum class NoticeOwner { main_window, dialog };

enum class Answer { ok, yes, no };

// The front end's message box. show() returns when the user has answered.
class NoticeSink {
public:
    virtual ~NoticeSink() = default;
    virtual Answer show(NoticeOwner owner, std::string_view text, std::string_view caption,
                        NoticeKind kind) = 0;
};

// Installs the sink every notice goes to; nullptr falls back to standard error.
void set_notice_sink(NoticeSink* sink);

Answer show_notice(NoticeOwner owner, std::string_view text, std::string_view caption,
                   NoticeKind kind);

} // namespace lumivex::app
