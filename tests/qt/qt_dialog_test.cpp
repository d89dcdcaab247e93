// The Qt dialog on the offscreen platform, driven with real key and mouse events.
#include "app/program.h"
#include "app/shared_state.h"
#include "dialog/dialog_template.h"
#include "display/bus_cycles.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "support/fakes.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/message_box_notices.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/termination_signals.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <memory>

using namespace lumivex;

class QtDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsFollowTheTemplate();
    void tabOrderIsTheTemplatesOrder();
    void listStartsWithNothingSelectedAndFieldsAreLimited();
    void mnemonicsPressTheirButtons();
    void openPortStaysPressedWhileOpen();
    void aClickDuringALongActionWaitsForItsEnd();
    void enterAndEscapeDoNothing();
    void endRequestsLetTheActionFinishThenEndAsExit_data();
    void endRequestsLetTheActionFinishThenEndAsExit();
    void typingIntoTheComboOpensTheList();
    void everyClosingOfTheListIssuesTheSelectedCommand();
    void focusingABinaryFieldSelectsItsText();
    void noticeBlocksTheDialogAndIsCentredOnIt();
    void exitEndsWith9999AndTheEndClosesThePort();

private:
    template <typename Widget> Widget* control(int id) {
        return qobject_cast<Widget*>(dialog->control(id));
    }
    QPoint centre_of(int id) { return dialog->control(id)->geometry().center(); }
    void show_dialog() {
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }

    Trace trace;
    std::unique_ptr<FakePortLibrary> port;
    std::unique_ptr<RecordingNotices> notices;
    std::unique_ptr<qt::QtDialog> dialog;
};

void QtDialogTest::init() {
    trace.clear();
    port = std::make_unique<FakePortLibrary>(trace);
    notices = std::make_unique<RecordingNotices>(trace);
    port::use_library_loader(*port);
    app::set_notice_sink(notices.get());
    app::current_base_address = 0;
    display::bus_width = display::BusWidth::four_bit;
    dialog = std::make_unique<qt::QtDialog>();
}

void QtDialogTest::cleanup() {
    dialog.reset();
    port::close_port(lpt::lpt1_base_address);
    app::current_base_address = 0;
    app::set_notice_sink(nullptr);
    port::use_library_loader(port::system_library_loader());
    notices.reset();
    port.reset();
}

void QtDialogTest::controlsFollowTheTemplate() {
    const auto& controls = dialog::control_dialog().controls;
    QCOMPARE(controls.size(), std::size_t{43});
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Lumivex"));
    const qt::DialogBaseUnits units = qt::dialog_base_units(dialog->font());
    QCOMPARE(dialog->size(), qt::to_pixels(units, 0, 0, 400, 193).size());
    for (const dialog::ControlTemplate& c : controls) {
        QWidget* widget = dialog->control(c.id);
        QVERIFY2(widget != nullptr, qPrintable(QString::number(c.id)));
        const QRect expected = qt::to_pixels(units, c.x, c.y, c.width, c.height);
        if (c.kind == dialog::ControlKind::combo) {
            QCOMPARE(widget->geometry().topLeft(), expected.topLeft());
            QCOMPARE(widget->width(), expected.width());
        } else {
            QCOMPARE(widget->geometry(), expected);
        }
        const QString text = QString::fromUtf8(c.text.data(), qsizetype(c.text.size()));
        QString shown;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            shown = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            shown = label->text();
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            shown = group->title();
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            shown = edit->text();
        else
            continue; // the combo box shows the cue text instead
        QCOMPARE(shown, text);
    }
    QVERIFY(control<QLineEdit>(707)->isReadOnly());
    QCOMPARE(control<QLineEdit>(705)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QCOMPARE(control<QLabel>(1304)->alignment() & Qt::AlignRight, Qt::AlignRight);
    for (int id : {203, 204, 1405, 702, 709, 716, 9998, 9999}) {
        QVERIFY(!control<QPushButton>(id)->autoDefault());
        QVERIFY(!control<QPushButton>(id)->isDefault());
    }
}

void QtDialogTest::tabOrderIsTheTemplatesOrder() {
    show_dialog();
    QList<int> expected;
    for (const dialog::ControlTemplate& c : dialog::control_dialog().controls)
        if (c.style & dialog::tab_stop)
            expected.append(c.id);
    dialog->control(201)->setFocus();
    QList<int> visited;
    for (int i = 0; i <= expected.size(); ++i) {
        for (const dialog::ControlTemplate& c : dialog::control_dialog().controls)
            if (dialog->control(c.id)->hasFocus() ||
                dialog->control(c.id)->isAncestorOf(QApplication::focusWidget()))
                visited.append(c.id);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    expected.append(expected.front()); // and round again
    QCOMPARE(visited, expected);
}

void QtDialogTest::listStartsWithNothingSelectedAndFieldsAreLimited() {
    auto* list = control<QComboBox>(706);
    QCOMPARE(list->count(), 11);
    QCOMPARE(list->currentIndex(), -1);
    QCOMPARE(list->currentText(), QStringLiteral(" Choose HD44780-command... !"));
    QCOMPARE(control<QLineEdit>(705)->maxLength(), 11);
    QCOMPARE(control<QLineEdit>(714)->maxLength(), 14);
    QVERIFY(control<QAbstractButton>(201)->isChecked());
    QVERIFY(!control<QAbstractButton>(701)->isChecked());
}

void QtDialogTest::mnemonicsPressTheirButtons() {
    show_dialog();
    QWindow* window = dialog->windowHandle();
    // A mnemonic presses its button and releases it a moment later, as a click.
    QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(trace.size() > 1);
    QCOMPARE(trace[1], std::string("OPENCOM LPT1:"));
    trace.clear();
    QTest::keyClick(window, Qt::Key_Y, Qt::AltModifier); // Clear Displa&y
    QTRY_COMPARE(decode_pulses(trace).size(), std::size_t{2});
    QTest::keyClick(window, Qt::Key_X, Qt::AltModifier);
    QTRY_COMPARE(dialog->result(), 9999);
    QVERIFY(!dialog->isVisible());
}

void QtDialogTest::openPortStaysPressedWhileOpen() {
    show_dialog();
    auto* open = control<QPushButton>(203);
    QTest::mouseClick(open, Qt::LeftButton);
    QVERIFY(open->isChecked());
    QTest::mouseClick(control<QLineEdit>(705), Qt::LeftButton); // the focus moves on
    QVERIFY(open->isChecked());
    QTest::mouseClick(open, Qt::LeftButton); // opened again
    QVERIFY(open->isChecked());
    QTest::mouseClick(control<QPushButton>(204), Qt::LeftButton);
    QVERIFY(!open->isChecked());
    port->opencom_succeeds = false;
    QTest::mouseClick(open, Qt::LeftButton);
    QVERIFY(!open->isChecked());
    QCOMPARE(app::current_base_address, 0);
}

// Clicks that arrive while a handler lets events through between its waits run after it.
void QtDialogTest::aClickDuringALongActionWaitsForItsEnd() {
    show_dialog();
    QTest::mouseClick(control<QPushButton>(203), Qt::LeftButton);
    trace.clear();
    static QtDialogTest* test;
    test = this;
    port::set_wait_hook([] {
        port::set_wait_hook(nullptr);
        test->control<QPushButton>(204)->click(); // Close Port, in the LED test's first wait
    });
    QTest::mouseClick(control<QPushButton>(1405), Qt::LeftButton);
    port::set_wait_hook(nullptr);
    QVERIFY(notices->shown.empty());
    const auto close = std::find(trace.begin(), trace.end(), std::string("CLOSECOM"));
    QVERIFY(close != trace.end());
    QCOMPARE(total_delay_ms(Trace(trace.begin(), close)), 7300); // the whole test first
    QCOMPARE(app::current_base_address, 0);
}

void QtDialogTest::enterAndEscapeDoNothing() {
    show_dialog();
    control<QLineEdit>(705)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    control<QCheckBox>(701)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(dialog->isVisible());
    QVERIFY(trace.empty());
    QVERIFY(notices->shown.empty());
}

void QtDialogTest::endRequestsLetTheActionFinishThenEndAsExit_data() {
    QTest::addColumn<int>("signal_number"); // 0: the window manager's close request
    QTest::newRow("close request") << 0;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

// The request comes during the LED test's first wait, twice for a signal, and a click on
// Close Port queues behind it; the test runs to its end, then the dialog ends as by Exit and
// nothing else runs. The port is closed once, by the program's end.
void QtDialogTest::endRequestsLetTheActionFinishThenEndAsExit() {
    QFETCH(int, signal_number);
    qt::TerminationSignals termination;
    connect(&termination, &qt::TerminationSignals::received, dialog.get(),
            &qt::QtDialog::request_exit);
    show_dialog();
    QTest::mouseClick(control<QPushButton>(203), Qt::LeftButton);
    trace.clear();
    static QtDialogTest* test;
    static int request;
    test = this;
    request = signal_number;
    port::set_wait_hook([] {
        port::set_wait_hook(nullptr);
        if (request == 0) {
            test->dialog->windowHandle()->close();
        } else {
            std::raise(request);
            std::raise(request);
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        test->control<QPushButton>(204)->click();
    });
    QTest::mouseClick(control<QPushButton>(1405), Qt::LeftButton);
    port::set_wait_hook(nullptr);
    QCOMPARE(dialog->result(), 9999);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(total_delay_ms(trace), 7300);
    QCOMPARE(std::count(trace.begin(), trace.end(), std::string("CLOSECOM")), 0);
    QVERIFY(notices->shown.empty());
    trace.clear();
    app::end_program();
    QCOMPARE(trace, (Trace{dr(0), inport(0x37A), cr(0x0B), "CLOSECOM", "RELEASE"}));
}

void QtDialogTest::typingIntoTheComboOpensTheList() {
    show_dialog();
    auto* list = control<QComboBox>(706);
    QVERIFY(!list->view()->isVisible());
    QTest::keyClicks(list->lineEdit(), "S");
    QTRY_VERIFY(list->view()->isVisible());
    list->hidePopup();
}

void QtDialogTest::everyClosingOfTheListIssuesTheSelectedCommand() {
    show_dialog();
    QTest::mouseClick(control<QPushButton>(203), Qt::LeftButton);
    display::bus_width = display::BusWidth::eight_bit;
    control<QLineEdit>(705)->setText(QStringLiteral("1100 0000"));
    auto* list = control<QComboBox>(706);
    trace.clear();

    list->showPopup();
    QTRY_VERIFY(list->view()->isVisible());
    list->view()->setCurrentIndex(list->model()->index(3, 0)); // "Set DDRAM address"
    QTest::keyClick(list->view(), Qt::Key_Return);
    QTRY_COMPARE(decode_pulses(trace).size(), std::size_t{1});
    QCOMPARE(list->currentIndex(), 3);
    QCOMPARE(decode_pulses(trace)[0].data, 0xC0);

    list->showPopup(); // closed again without a change: issued again
    QTRY_VERIFY(list->view()->isVisible());
    QTest::keyClick(list->view(), Qt::Key_Escape);
    QTRY_COMPARE(decode_pulses(trace).size(), std::size_t{2});

    dialog->hide(); // hiding the dialog closes no list that was shown
    QCoreApplication::processEvents();
    QCOMPARE(decode_pulses(trace).size(), std::size_t{2});
}

void QtDialogTest::focusingABinaryFieldSelectsItsText() {
    show_dialog();
    auto* operand = control<QLineEdit>(705);
    QTest::mouseClick(operand, Qt::LeftButton, {}, QPoint(5, operand->height() / 2));
    QTRY_COMPARE(operand->selectedText(), QStringLiteral("0000 0000"));
    auto* sequence = control<QLineEdit>(714);
    QTest::mouseClick(sequence, Qt::LeftButton, {}, QPoint(5, sequence->height() / 2));
    QTRY_COMPARE(sequence->selectedText(), QStringLiteral("00 0000 0000"));
}

void QtDialogTest::noticeBlocksTheDialogAndIsCentredOnIt() {
    qt::MessageBoxNotices boxes;
    boxes.set_dialog(dialog.get());
    app::set_notice_sink(&boxes);
    show_dialog();
    // Seen while the box is open, checked after it is closed, so that a failure cannot leave
    // a modal box behind.
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
    int off_centre = -1;
    bool click_got_through = true;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        owner = box->parentWidget();
        off_centre =
            (box->frameGeometry().center() - dialog->frameGeometry().center()).manhattanLength();
        // A click on Open Port, delivered as the window system would, must not get through.
        QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, centre_of(203));
        QCoreApplication::processEvents();
        click_got_through = !trace.empty();
        box->accept();
    });
    QTest::mouseClick(control<QPushButton>(204), Qt::LeftButton);
    QCOMPARE(text, QStringLiteral("Port war gar nicht geöffnet"));
    QCOMPARE(title, QStringLiteral("Lumivex_Dilaog-Modul"));
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(owner, dialog.get());
    QVERIFY(off_centre >= 0 && off_centre < 4);
    QVERIFY(!click_got_through);
    QVERIFY(trace.empty());
}

void QtDialogTest::exitEndsWith9999AndTheEndClosesThePort() {
    show_dialog();
    QTest::mouseClick(control<QPushButton>(203), Qt::LeftButton);
    trace.clear();
    QTest::mouseClick(control<QPushButton>(9999), Qt::LeftButton);
    QCOMPARE(dialog->result(), 9999);
    QVERIFY(trace.empty());
    app::check_dialog_result(dialog->result());
    app::end_program();
    QCOMPARE(trace, (Trace{dr(0), inport(0x37A), cr(0x0B), "CLOSECOM", "RELEASE"}));
    QVERIFY(notices->shown.empty());
}

QTEST_MAIN(QtDialogTest)
#include "qt_dialog_test.moc"
