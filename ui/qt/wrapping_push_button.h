#pragma once

#include <QPushButton>

namespace lumivex::qt {

// A push button whose label wraps on word boundaries within the button; the text itself,
// mnemonic included, stays as it was set.
class WrappingPushButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace lumivex::qt
