#include "ui/qt/qt_dialog.h"

#include "app/shared_state.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "ui/qt/command_combo_box.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/wrapping_push_button.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QUrl>

namespace lumivex::qt {

namespace {

using dialog::ControlKind;
using dialog::ControlTemplate;

// "Helv" stands for the desktop's sans-serif face.
QFont dialog_font(const dialog::DialogTemplate& dialog) {
    QFont font(QStringLiteral("Sans Serif"), dialog.font_points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

Qt::Alignment horizontal_alignment(unsigned style) {
    if (style & dialog::align_centre)
        return Qt::AlignHCenter;
    if (style & dialog::align_right)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

} // namespace

QtDialog::QtDialog() {
    const dialog::DialogTemplate& dialog = dialog::control_dialog();
    // A caption and a frame, no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(to_qstring(dialog.caption));
    setFont(dialog_font(dialog));
    const QRect frame =
        to_pixels(dialog_base_units(font()), dialog.x, dialog.y, dialog.width, dialog.height);
    setFixedSize(frame.size());
    move(frame.topLeft());
    build_controls();
    dialog::initialise_dialog(*this);
}

void QtDialog::build_controls() {
    const DialogBaseUnits units = dialog_base_units(font());
    // Created in template order, which is also the tab order and the stacking order: group
    // boxes come before the controls they frame.
    for (const ControlTemplate& control : dialog::control_dialog().controls) {
        const QString text = to_qstring(control.text);
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::group_box:
            widget = new QGroupBox(text, this);
            break;
        case ControlKind::radio_button:
            widget = new QRadioButton(text, this);
            break;
        case ControlKind::check_box:
            widget = new QCheckBox(text, this);
            break;
        case ControlKind::push_button: {
            auto* button = (control.style & dialog::multi_line) ? new WrappingPushButton(text, this)
                                                                : new QPushButton(text, this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this,
                    [this, id = control.id] { command(id, dialog::Notification::clicked); });
            widget = button;
            break;
        }
        case ControlKind::static_text: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(horizontal_alignment(control.style) | Qt::AlignTop);
            widget = label;
            break;
        }
        case ControlKind::edit: {
            auto* edit = new QLineEdit(text, this);
            edit->setAlignment(horizontal_alignment(control.style) | Qt::AlignVCenter);
            edit->setReadOnly(control.style & dialog::read_only);
            edit->installEventFilter(this);
            widget = edit;
            break;
        }
        case ControlKind::combo: {
            auto* combo = new CommandComboBox(this);
            combo->setEditText(text);
            connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                    [this, id = control.id] { command(id, dialog::Notification::edit_change); });
            connect(combo, &CommandComboBox::closed_up, this,
                    [this, id = control.id] { command(id, dialog::Notification::close_up); });
            widget = combo;
            break;
        }
        }
        QRect area = to_pixels(units, control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::combo) // the template's height includes the list
            area.setHeight(widget->sizeHint().height());
        widget->setGeometry(area);
        if (control.style & dialog::tab_stop)
            widget->setFocusPolicy(Qt::StrongFocus);
        else if (control.kind == ControlKind::group_box || control.kind == ControlKind::static_text)
            widget->setFocusPolicy(Qt::NoFocus);
        else
            widget->setFocusPolicy(Qt::ClickFocus);
        controls_[control.id] = widget;
    }
}

QWidget* QtDialog::control(int control_id) const {
    const auto found = controls_.find(control_id);
    return found == controls_.end() ? nullptr : found->second;
}

template <typename Widget> Widget* QtDialog::control_as(int control_id) const {
    return qobject_cast<Widget*>(control(control_id));
}

QtDialog::~QtDialog() {
    if (app::current_dialog == this)
        app::current_dialog = nullptr;
}

// A handler runs to its end before the next begins, as input queued behind a long action is
// handled after it: clicks that reach the dialog while events are pumped between waits (a
// mnemonic's delayed click, a timer) wait their turn. Nothing runs once the dialog has ended.
void QtDialog::command(int control_id, dialog::Notification notification) {
    pending_.push_back({control_id, notification});
    if (handling_)
        return;
    handling_ = true;
    while (!pending_.empty() && !ended_) {
        const PendingCommand next = pending_.front();
        pending_.pop_front();
        dialog::handle_command(*this, next.control_id, next.notification);
    }
    pending_.clear();
    handling_ = false;
}

std::string QtDialog::field_text(int control_id, int max_chars) {
    QString text;
    if (auto* edit = control_as<QLineEdit>(control_id))
        text = edit->text();
    else if (auto* combo = control_as<QComboBox>(control_id))
        text = combo->currentText();
    return text.left(max_chars).toStdString();
}

void QtDialog::set_text(int control_id, std::string_view text) {
    const QString qtext = to_qstring(text);
    QWidget* widget = control(control_id);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(qtext);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(qtext);
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setEditText(qtext);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(qtext);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(qtext);
}

bool QtDialog::is_checked(int control_id) {
    const auto* button = control_as<QAbstractButton>(control_id);
    return button != nullptr && button->isChecked();
}

void QtDialog::check(int control_id) {
    if (auto* button = control_as<QAbstractButton>(control_id))
        button->setChecked(true);
}

// A checked button keeps its pressed look whatever has the focus; a click toggles it, and the
// handler then sets it as it should be.
void QtDialog::set_highlight(int control_id, bool on) {
    if (auto* button = control_as<QAbstractButton>(control_id)) {
        button->setCheckable(true);
        button->setChecked(on);
    }
}

void QtDialog::add_list_entry(int control_id, std::string_view text) {
    auto* combo = control_as<QComboBox>(control_id);
    if (combo == nullptr)
        return;
    // Adding to an empty list would select the new entry; the selection stays as it was.
    const int selection = combo->currentIndex();
    combo->addItem(to_qstring(text));
    combo->setCurrentIndex(selection);
}

int QtDialog::current_selection(int control_id) {
    const auto* combo = control_as<QComboBox>(control_id);
    return combo == nullptr ? -1 : combo->currentIndex();
}

void QtDialog::open_list(int control_id) {
    if (auto* combo = control_as<QComboBox>(control_id))
        combo->showPopup();
}

void QtDialog::limit_text(int control_id, int max_chars) {
    if (auto* edit = control_as<QLineEdit>(control_id))
        edit->setMaxLength(max_chars);
}

void QtDialog::select_all_later(int control_id) {
    if (auto* edit = control_as<QLineEdit>(control_id))
        QMetaObject::invokeMethod(edit, &QLineEdit::selectAll, Qt::QueuedConnection);
}

void QtDialog::open_document(std::string_view path) {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir::current().absoluteFilePath(to_qstring(path))));
}

void QtDialog::end_dialog(int result) {
    ended_ = true;
    done(result);
}

void QtDialog::request_exit() {
    command(dialog::exit_button, dialog::Notification::clicked);
}

// The window stays until the Exit command has run; then it hides.
void QtDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    request_exit();
}

// A focused push button takes Enter as a click; otherwise Enter, like Escape, does nothing.
void QtDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        return;
    case Qt::Key_Escape:
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool QtDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        for (const auto& [id, widget] : controls_)
            if (widget == watched)
                command(id, dialog::Notification::set_focus);
    return QDialog::eventFilter(watched, event);
}

} // namespace lumivex::qt
