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
// call into the trace and answers INPORT from a script, then with inport_default. A failed load
// says why as dlopen does: "<path>: <load_failure>". LASTERROR gives reason.
class FakePortLibrary final : public lumivex::port::LibraryLoader {
public:
    explicit FakePortLibrary(Trace& trace);
    ~FakePortLibrary() override;

    bool loadable = true;
    std::string load_failure = "cannot open shared object file: No such file or directory";
    std::set<std::string> missing_exports;
    bool opencom_succeeds = true;
    std::string reason; // empty: nothing has failed
    std::deque<int> inport_script;
    int inport_default = 0;

    lumivex::port::LibraryHandle load(const char* path) override;
    std::string last_error() override { return last_path_ + ": " + load_failure; }
    lumivex::port::LibrarySymbol find(lumivex::port::LibraryHandle library,
                                      const char* name) override;
    void release(lumivex::port::LibraryHandle library) override;

    Trace& trace;

private:
    std::string last_path_;
};

struct Notice {
    lumivex::app::NoticeOwner owner;
    std::string text;
    std::string caption;
    lumivex::app::NoticeKind kind;
    bool operator==(const Notice&) const = default;
};

// Records notices (also as a trace line) and answers questions from a script, then Yes.
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
    std::vector<int> opened_lists, selected_all, end_results;
    std::map<int, int> limits;
    std::vector<std::string> documents;
    std::vector<std::pair<int, int>> reads; // (control id, limit) of every field_text call

    std::string field_text(int id, int max_chars) override {
        reads.emplace_back(id, max_chars);
        return texts[id].substr(0, static_cast<std::size_t>(max_chars));
    }
    void set_text(int id, std::string_view text) override {
        texts[id] = text;
        text_changes.emplace_back(id, text);
    }
    bool is_checked(int id) override { return checked.count(id) != 0; }
    void check(int id) override { checked.insert(id); }
    void set_highlight(int id, bool on) override { highlights[id] = on; }
    void add_list_entry(int id, std::string_view text) override { lists[id].emplace_back(text); }
    int current_selection(int id) override { return selections.count(id) ? selections[id] : -1; }
    void open_list(int id) override { opened_lists.push_back(id); }
    void limit_text(int id, int max_chars) override { limits[id] = max_chars; }
    void select_all_later(int id) override { selected_all.push_back(id); }
    void open_document(std::string_view path) override { documents.emplace_back(path); }
    void end_dialog(int result) override { end_results.push_back(result); }
};
