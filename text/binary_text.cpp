#include "text/binary_text.h"

#include "app/notice.h"

namespace lumivex::text {

namespace {

constexpr int max_bits = 10;

void notice(const char* text) {
    app::show_notice(app::NoticeOwner::main_window, text, "Modul Orvo_commonTools",
                     app::NoticeKind::information);
}

} // namespace

int parse_binary_text(std::string_view text) {
    int low_bits = 0;
    bool too_large = false;
    int bit = 0; // weight of the next digit, as a bit number from the right
    for (auto c = text.rbegin(); c != text.rend(); ++c) {
        if (*c == ' ')
            continue;
        if (*c != '0' && *c != '1') {
            notice("Nur '1', '0' und Leerzeichen!");
            return -1;
        }
        if (*c == '1') {
            if (bit < max_bits)
                low_bits |= 1 << bit;
            else
                too_large = true;
        }
        if (bit < max_bits)
            ++bit; // past bit 9 every digit weighs at least 1024
    }
    if (too_large)
        notice("extends 1023");
    return low_bits;
}

int format_binary_text(int value, std::string& text) {
    if (value < 0)
        return -1;
    text = "0000 0000";
    for (int bit = 7; bit >= 0; --bit) {
        const auto position = static_cast<std::size_t>(bit >= 4 ? 7 - bit : 8 - bit);
        if ((value >> bit) & 1)
            text[position] = '1';
    }
    return (value >> 8) & 0x03;
}

} // namespace lumivex::text
