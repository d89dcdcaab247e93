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

// An in-process port library behind the loader interface: records every load, release and
// call into the trace and answers INPORT from a script (0 when it has run out).
class FakePortLibrary final : public lumivex::port::LibraryLoader {
public:
    explicit FakePortLibrary(Trace& trace);
    ~FakePortLibrary() override;

    bool loadable = true;
    std::set<std::string> missing_exports;
    bool opencom_succeeds = true;
    std::deque<int> inport_script; // answered in order, then inport_default
    int inport_default = 0;

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

// The dialog's controls as plain data.
class FakeDialog final : public lumivex::dialog::DialogView {
public:
    std::map<int, std::string> texts;
    std::vector<std::pair<int, std::string>> text_changes; // every set_text, in order
    std::set<int> checked;
    std::map<int, bool> highlights;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections; // -1 where absent
    std::vector<int> opened_lists;
    std::map<int, int> limits;
    std::vector<int> selected_all;
    std::vector<std::string> documents;
    std::vector<int> end_results;
    std::vector<std::pair<int, int>> reads; // (control id, limit) of every field_text call

    std::string field_text(int control_id, int max_chars) override;
    void set_text(int control_id, std::string_view text) override;
    bool is_checked(int control_id) override { return checked.count(control_id) != 0; }
    void check(int control_id) override { checked.insert(control_id); }
    void set_highlight(int control_id, bool on) override { highlights[control_id] = on; }
    void add_list_entry(int control_id, std::string_view text) override;
    int current_selection(int control_id) override;
    void open_list(int control_id) override { opened_lists.push_back(control_id); }
    void limit_text(int control_id, int max_chars) override { limits[control_id] = max_chars; }
    void select_all_later(int control_id) override { selected_all.push_back(control_id); }
    void open_document(std::string_view path) override { documents.emplace_back(path); }
    void end_dialog(int result) override { end_results.push_back(result); }
};
