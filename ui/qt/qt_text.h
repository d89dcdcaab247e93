#pragma once

#include <QString>
#include <string_view>

namespace lumivex::qt {

// The portable code's texts are UTF-8.
inline QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace lumivex::qt
