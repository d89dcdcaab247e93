#include "support/fakes.h"

#include "port/port_library.h"

#include <cstdio>

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
    std::deque<int>& script = active->inport_script;
    const int value = script.empty() ? active->inport_default : script.front();
    if (!script.empty())
        script.pop_front();
    return value;
}
int32_t PORT_LIBRARY_CALL fake_outport(int32_t address, int32_t value) {
    active->trace.push_back(outport(address, value));
    return 0;
}
int32_t PORT_LIBRARY_CALL fake_lasterror(char* buffer, int32_t size) {
    if (buffer == nullptr || size <= 0) // as our libraries answer: the length alone
        return static_cast<int32_t>(active->reason.size());
    return std::snprintf(buffer, static_cast<std::size_t>(size), "%s", active->reason.c_str());
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
    last_path_ = path;
    return loadable ? &handle_token : nullptr;
}

lumivex::port::LibrarySymbol FakePortLibrary::find(lumivex::port::LibraryHandle library,
                                                   const char* name) {
    using lumivex::port::LibrarySymbol;
    const std::pair<std::string, LibrarySymbol> entries[] = {
        {"OPENCOM", LibrarySymbol(&fake_opencom)},    {"CLOSECOM", LibrarySymbol(&fake_closecom)},
        {"DELAY", LibrarySymbol(&fake_delay)},        {"DELAYUS", LibrarySymbol(&fake_delayus)},
        {"INPORT", LibrarySymbol(&fake_inport)},      {"OUTPORT", LibrarySymbol(&fake_outport)},
        {"LASTERROR", LibrarySymbol(&fake_lasterror)}};
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
    using lumivex::app::Answer;
    shown.push_back({owner, std::string(text), std::string(caption), kind});
    trace.push_back(notice(std::string(text)));
    const Answer answer = answers.empty() ? Answer::yes : answers.front();
    if (kind != lumivex::app::NoticeKind::question)
        return Answer::ok;
    if (!answers.empty())
        answers.pop_front();
    return answer;
}
