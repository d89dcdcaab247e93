#pragma once

#include <string>
#include <string_view>

namespace lumivex::text {

// Binary text: '1' and '0' are digits, most significant first; blanks are ignored wherever
// they stand. Returns the value's low ten bits (with the notice "extends 1023" when the text
// holds more), 0 for an empty text, or -1 after a notice when the text holds anything else.
int parse_binary_text(std::string_view text);

// Writes the low eight bits of value as "dddd dddd" and returns bits 9..8 (0..3). A negative
// value returns -1 and leaves text as it was.
int format_binary_text(int value, std::string& text);

} // namespace lumivex::text
