#pragma once

#include "dialog/dialog_view.h"
#include "dialog/handlers.h"

#include <QDialog>
#include <deque>
#include <map>

namespace lumivex::qt {

// The control dialog, built from the dialog template; every control reports to the portable
// handlers, which see the dialog only as a DialogView.
class QtDialog final : public QDialog, public dialog::DialogView {
    Q_OBJECT
public:
    QtDialog();
    ~QtDialog() override;

    // The widget of a control id, nullptr for an unknown id.
    QWidget* control(int control_id) const;

    std::string field_text(int control_id, int max_chars) override;
    void set_text(int control_id, std::string_view text) override;
    bool is_checked(int control_id) override;
    void check(int control_id) override;
    void set_highlight(int control_id, bool on) override;
    void add_list_entry(int control_id, std::string_view text) override;
    int current_selection(int control_id) override;
    void open_list(int control_id) override;
    void limit_text(int control_id, int max_chars) override;
    void select_all_later(int control_id) override;
    void open_document(std::string_view path) override;
    void end_dialog(int result) override;

    // Ends the dialog as the Exit button does, after the running action, if one runs; nothing
    // queued behind it runs. For a close request and the termination signals.
    void request_exit();

    // Escape ends nothing.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();
    void command(int control_id, dialog::Notification notification);
    template <typename Widget> Widget* control_as(int control_id) const;

    struct PendingCommand {
        int control_id;
        dialog::Notification notification;
    };

    std::map<int, QWidget*> controls_;
    std::deque<PendingCommand> pending_;
    bool handling_ = false;
    bool ended_ = false;
};

} // namespace lumivex::qt
