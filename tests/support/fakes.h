#pragma once

#include "app/notice.h"
#include "dialog/dialog_view.h"
#include "port/library_loader.h"
#include "support/trace.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

// An in-process port library behind the loader interface: records every call into the trace
// and answers INPORT from a script.
class FakePortLibrary final : public lumivex::port::LibraryLoader {
public:
    explicit FakePortLibrary(Trace& trace);
    ~FakePortLibrary() override;

    bool loadable = true;
    std::set<std::string> missing_exports;
    bool opencom_succeeds = true;
    std::deque<int> inport_script; // answered in order, then inport_default
    int inport_default = 0;

    int loads = 0;
    int releases = 0;
    std::vector<std::string> looked_up;

    lumivex::port::LibraryHandle load(const char* path) override;
    lumivex::port::LibrarySymbol find(lumivex::port::LibraryHandle library,
                                      const char* name) override;
    void release(lumivex::port::LibraryHandle library) override;

    Trace& trace;
};

struct Notice {
    lumivex::app::NoticeOwner owner;
    std::string text;
    std::string caption;
    lumivex::app::NoticeKind kind;
};

// Records notices (also as a trace line) and answers questions from a script (default Yes).
class RecordingNotices final : public lumivex::app::NoticeSink {
public:
    explicit RecordingNotices(Trace& trace) : trace(trace) {}

    std::vector<Notice> shown;
    std::deque<lumivex::app::Answer> answers;

    lumivex::app::Answer show(lumivex::app::NoticeOwner owner, std::string_view text,
                              std::string_view caption, lumivex::app::NoticeKind kind) override;

private:
    Trace& trace;
};

// The dialog's fields and lists as plain data.
class FakeDialog final : public lumivex::dialog::DialogView {
public:
    std::map<int, std::string> texts;
    std::map<int, std::vector<std::string>> lists;
    std::vector<std::pair<int, int>> reads; // (control id, limit) of every field_text call

    std::string field_text(int control_id, int max_chars) override;
    void set_text(int control_id, std::string_view text) override;
    void add_list_entry(int control_id, std::string_view text) override;
};
