#include "ui/qt/command_combo_box.h"

#include <QLineEdit>
#include <QMetaObject>

namespace lumivex::qt {

CommandComboBox::CommandComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
}

void CommandComboBox::showPopup() {
    list_shown_ = true;
    QComboBox::showPopup();
}

// QComboBox hides the list before it commits the chosen item, and also when the dialog hides
// at exit: report only lists that were shown, and only after the commit.
void CommandComboBox::hidePopup() {
    QComboBox::hidePopup();
    if (!list_shown_)
        return;
    list_shown_ = false;
    QMetaObject::invokeMethod(this, &CommandComboBox::closed_up, Qt::QueuedConnection);
}

} // namespace lumivex::qt
