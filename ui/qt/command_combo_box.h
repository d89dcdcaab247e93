#pragma once

#include <QComboBox>

namespace lumivex::qt {

// A drop-down combo box that reports every closing of a list it really showed, once the
// item chosen in the list has become the current one.
class CommandComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit CommandComboBox(QWidget* parent);

    void showPopup() override;
    void hidePopup() override;

signals:
    void closed_up();

private:
    bool list_shown_ = false;
};

} // namespace lumivex::qt
