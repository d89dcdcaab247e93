#include "support/fakes.h"

#include "port/port_library.h"

namespace {

FakePortLibrary* active = nullptr;
int handle_token;

int32_t PORT_LIBRARY_CALL fake_opencom(const char* name) {
    active->trace.push_back(std::string("OPENCOM ") + name);
    return active->opencom_succeeds ? 1 : 0;
}
int32_t PORT_LIBRARY_CALL fake_closecom() {
    active->trace.push_back("CLOSECOM");
    return 1;
}
int32_t PORT_LIBRARY_CALL fake_delay(int32_t ms) {
    active->trace.push_back(delay(ms));
    return 0;
}
int32_t PORT_LIBRARY_CALL fake_delayus(int32_t us) {
    active->trace.push_back("DELAYUS " + std::to_string(us));
    return 0;
}
int32_t PORT_LIBRARY_CALL fake_inport(int32_t address) {
    active->trace.push_back(inport(address));
    if (active->inport_script.empty())
        return active->inport_default;
    const int value = active->inport_script.front();
    active->inport_script.pop_front();
    return value;
}
int32_t PORT_LIBRARY_CALL fake_outport(int32_t address, int32_t value) {
    active->trace.push_back(outport(address, value));
    return 0;
}

template <typename Entry> lumivex::port::LibrarySymbol symbol(Entry entry) {
    return reinterpret_cast<lumivex::port::LibrarySymbol>(entry);
}

} // namespace

FakePortLibrary::FakePortLibrary(Trace& trace) : trace(trace) {
    active = this;
}

FakePortLibrary::~FakePortLibrary() {
    active = nullptr;
}

lumivex::port::LibraryHandle FakePortLibrary::load(const char* path) {
    trace.push_back(std::string("LOAD ") + path);
    return loadable ? &handle_token : nullptr;
}

lumivex::port::LibrarySymbol FakePortLibrary::find(lumivex::port::LibraryHandle library,
                                                   const char* name) {
    const std::pair<std::string, lumivex::port::LibrarySymbol> entries[] = {
        {"OPENCOM", symbol(&fake_opencom)}, {"CLOSECOM", symbol(&fake_closecom)},
        {"DELAY", symbol(&fake_delay)},     {"DELAYUS", symbol(&fake_delayus)},
        {"INPORT", symbol(&fake_inport)},   {"OUTPORT", symbol(&fake_outport)}};
    for (const auto& [entry_name, entry] : entries)
        if (library == &handle_token && entry_name == name && missing_exports.count(name) == 0)
            return entry;
    return nullptr;
}

void FakePortLibrary::release(lumivex::port::LibraryHandle library) {
    trace.push_back(library == &handle_token ? "RELEASE" : "RELEASE of an unknown handle");
}

lumivex::app::Answer RecordingNotices::show(lumivex::app::NoticeOwner owner, std::string_view text,
                                            std::string_view caption,
                                            lumivex::app::NoticeKind kind) {
    shown.push_back({owner, std::string(text), std::string(caption), kind});
    trace.push_back(notice(std::string(text)));
    if (kind != lumivex::app::NoticeKind::question)
        return lumivex::app::Answer::ok;
    if (answers.empty())
        return lumivex::app::Answer::yes;
    const lumivex::app::Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string FakeDialog::field_text(int control_id, int max_chars) {
    reads.emplace_back(control_id, max_chars);
    return texts[control_id].substr(0, static_cast<std::size_t>(max_chars));
}

void FakeDialog::set_text(int control_id, std::string_view text) {
    texts[control_id] = std::string(text);
    text_changes.emplace_back(control_id, text);
}

int FakeDialog::current_selection(int control_id) {
    const auto selection = selections.find(control_id);
    return selection == selections.end() ? -1 : selection->second;
}

void FakeDialog::add_list_entry(int control_id, std::string_view text) {
    lists[control_id].emplace_back(text);
}
