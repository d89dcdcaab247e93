// The Qt dialog on the offscreen platform, driven with real key and mouse events.
#include "app/program.h"
#include "app/shared_state.h"
#include "dialog/dialog_template.h"
#include "display/bus_cycles.h"
#include "port/port_module.h"
#include "support/fakes.h"
#include "support/front_end_cases.h"
#include "ui/qt/application_icon.h"
#include "ui/qt/message_box_notices.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/termination_signals.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <csignal>

using namespace lumivex;
using namespace front_end;
using lpt::lpt1_base_address;

class QtDialogTest : public QObject {
    Q_OBJECT

    template <typename Widget> Widget* control(int id) {
        return qobject_cast<Widget*>(dialog->control(id));
    }
    void show_dialog() {
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }
    void click(int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }

    Trace trace;
    FakePortLibrary port{trace};
    RecordingNotices notices{trace};
    std::unique_ptr<qt::QtDialog> dialog;

    // Read while the box is open, checked once it is answered, so that a failure cannot leave a
    // modal box behind. A click on a check box, as the window system would deliver it, must not
    // get through meanwhile. An owned box is centred on the dialog. A reason follows the case's
    // text on a line of its own.
    void expect_notice(const NoticeCase& c, const std::string& reason = "") {
        if (c.field != 0)
            control<QLineEdit>(c.field)->setText(c.field_text);
        for (const int id : {c.first_click, c.second_click})
            if (id != 0)
                control<QAbstractButton>(id)->click();
        trace.clear();
        const bool question = c.kind == NoticeKind::question;
        auto* check_box = control<QCheckBox>(auto_increment_address_check);
        QString seen;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            const int off_centre =
                (box->frameGeometry().center() - dialog->frameGeometry().center())
                    .manhattanLength();
            seen = QStringLiteral("%1: %2 icon %3 buttons %4 owner %5 centred %6")
                       .arg(box->windowTitle(), box->text())
                       .arg(int(box->icon()))
                       .arg(box->standardButtons().toInt())
                       .arg(box->parentWidget() == dialog.get() ? "dialog"
                            : box->parentWidget() != nullptr    ? "other"
                                                                : "none")
                       .arg(box->parentWidget() == nullptr || off_centre < 4);
            QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {},
                              check_box->geometry().topLeft() + QPoint(6, check_box->height() / 2));
            QCoreApplication::processEvents();
            box->button(question ? QMessageBox::No : QMessageBox::Ok)->click();
        });
        click(c.clicked);
        const int icon = c.kind == NoticeKind::error         ? QMessageBox::Critical
                         : c.kind == NoticeKind::information ? QMessageBox::Information
                                                             : QMessageBox::NoIcon;
        const int buttons =
            question ? (QMessageBox::Yes | QMessageBox::No).toInt() : int(QMessageBox::Ok);
        const std::string text = c.text + (reason.empty() ? "" : "\n" + reason);
        QCOMPARE(seen, QStringLiteral("%1: %2 icon %3 buttons %4 owner %5 centred 1")
                           .arg(QString::fromUtf8(c.caption), QString::fromStdString(text))
                           .arg(icon)
                           .arg(buttons)
                           .arg(c.owner == NoticeOwner::dialog ? "dialog" : "none"));
        QVERIFY(!check_box->isChecked());
        std::erase_if(trace, [](const std::string& line) { // a failed open calls nothing else
            return line == "LOAD drv/PORT.DLL" || line == "OPENCOM LPT1:" || line == "RELEASE";
        });
        QCOMPARE(trace, Trace{});
    }

private slots:
    void init() {
        trace.clear();
        notices.shown.clear();
        port::use_library_loader(port);
        app::set_notice_sink(&notices);
        app::current_base_address = 0;
        display::bus_width = display::BusWidth::four_bit;
        dialog = std::make_unique<qt::QtDialog>();
    }

    void cleanup() {
        dialog.reset();
        port::close_port(lpt1_base_address);
        app::current_base_address = 0;
    }

    // The dialog as initialisation leaves it (the list's entries and LPT1 are used below), then
    // every button by its Alt key; the list opens when typed into and issues on every closing.
    void controlsReachTheirHandlersByTheirAltKeys() {
        auto* list = control<QComboBox>(command_list);
        QVERIFY(list->currentIndex() == -1 &&
                control<QLineEdit>(operand_field)->maxLength() == operand_field_limit &&
                control<QLineEdit>(sequence_field)->maxLength() == sequence_field_limit);

        show_dialog();
        QTest::keyClicks(list->lineEdit(), "S");
        QTRY_VERIFY(list->view()->isVisible());
        list->hidePopup(); // issues nothing: no port
        show_dialog();
        QWindow* window = dialog->windowHandle();
        QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
        QTRY_COMPARE(app::current_base_address, lpt1_base_address);
        auto* open = control<QPushButton>(open_port_button);
        QVERIFY(open->isChecked());
        list->setCurrentIndex(ddram_address_entry);
        for (const ClickCase& c : click_cases) {
            if (c.field != 0)
                control<QLineEdit>(c.field)->setText(c.text);
            trace.clear();
            QTest::keyClick(window, c.mnemonic, Qt::AltModifier);
            QTRY_COMPARE(decode_pulses(trace), on_four_bits(c.rs, c.byte));
        }
        control<QLineEdit>(operand_field)->setText(list_operand);
        list->setCurrentIndex(0);
        trace.clear();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) { // Escape: no change
            list->showPopup();
            QTRY_VERIFY(list->view()->isVisible());
            list->view()->setCurrentIndex(list->model()->index(ddram_address_entry, 0));
            QTest::keyClick(list->view(), key);
        }
        const std::vector<BusPulse> once = on_four_bits(0, list_byte);
        QTRY_COMPARE(decode_pulses(trace), (std::vector{once[0], once[1], once[0], once[1]}));
        dialog->hide(); // closes no list that was shown
        QCoreApplication::processEvents();
        QCOMPARE(decode_pulses(trace).size(), std::size_t{4});
        show_dialog();
        QTest::keyClick(window, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!open->isChecked());
        QTest::keyClick(window, Qt::Key_X, Qt::AltModifier);
        QTRY_COMPARE(dialog->result(), exit_result);
        QVERIFY(!dialog->isVisible());
    }

    // Round the template's tab stops, and round again. Enter and Escape do nothing; focusing a
    // binary field by the mouse selects its text.
    void tabOrderEnterEscapeAndFocus() {
        show_dialog();
        QList<int> stops;
        for (const dialog::ControlTemplate& c : dialog::control_dialog().controls)
            if (c.style & dialog::tab_stop)
                stops.append(c.id);
        dialog->control(stops.front())->setFocus();
        for (int i = 0; i <= stops.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            QWidget* stop = dialog->control(stops[i % stops.size()]);
            QVERIFY2(stop == focus || stop->isAncestorOf(focus), qPrintable(QString::number(i)));
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        for (const int id : {int(operand_field), int(bus_width_check)}) {
            dialog->control(id)->setFocus();
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(QApplication::focusWidget(), key);
        }
        QVERIFY(dialog->isVisible() && trace.empty());
        for (const int id : {int(operand_field), int(sequence_field)}) {
            auto* field = control<QLineEdit>(id);
            QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(5, field->height() / 2));
            QTRY_COMPARE(field->selectedText(), field->text());
        }
    }

    void noticesShowTextCaptionIconAndOwner() {
        qt::MessageBoxNotices boxes;
        boxes.set_dialog(dialog.get());
        app::set_notice_sink(&boxes);
        show_dialog();
        port.loadable = false;
        expect_notice(no_port_library, "drv/PORT.DLL: " + port.load_failure);
        QVERIFY(!control<QPushButton>(open_port_button)->isChecked()); // the failed open clears it
        port.loadable = true;
        port.opencom_succeeds = false;
        port.reason = bogus_panel;
        expect_notice(refused_port, bogus_panel);
        port.opencom_succeeds = true;
        for (const NoticeCase& c : notice_cases)
            expect_notice(c);
        QVERIFY(control<QPushButton>(open_port_button)->isChecked()); // the second open keeps it
        app::set_notice_sink(&notices);
    }

    void endRequestsLetTheActionFinishThenEndAsExit_data() {
        QTest::addColumn<int>("signal_number"); // 0: the window manager's close request
        QTest::newRow("no request") << -1;
        QTest::newRow("close request") << 0;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    // A click on Close Port comes during the LED test's first wait, after an end request if any
    // (twice for a signal); the test runs to its end first. Then, after a request, the dialog ends
    // as by Exit and nothing else runs, and the program's end closes the port.
    void endRequestsLetTheActionFinishThenEndAsExit() {
        QFETCH(int, signal_number);
        qt::TerminationSignals termination;
        connect(&termination, &qt::TerminationSignals::received, dialog.get(),
                &qt::QtDialog::request_exit);
        show_dialog();
        click(open_port_button);
        trace.clear();
        static QtDialogTest* test;
        static int request;
        test = this;
        request = signal_number;
        port::set_wait_hook([] {
            port::set_wait_hook(nullptr);
            if (request == 0)
                test->dialog->windowHandle()->close();
            for (int i = 0; request > 0 && i < 2; ++i)
                std::raise(request);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            test->control<QPushButton>(close_port_button)->click();
        });
        click(led_test_button);
        port::set_wait_hook(nullptr);
        const bool ends = signal_number >= 0;
        const auto close = std::find(trace.begin(), trace.end(), std::string("CLOSECOM"));
        QCOMPARE(total_delay_ms(Trace(trace.begin(), close)), 7300);
        QCOMPARE(close == trace.end(), ends);
        QCOMPARE(dialog->isVisible(), !ends);
        QVERIFY(notices.shown.empty());
        if (!ends)
            return;
        QCOMPARE(dialog->result(), exit_result);
        trace.clear();
        app::end_program();
        QCOMPARE(joined(trace), closed(lpt1_base_address) + " | RELEASE");
    }

    // Each size of the icon is compiled in and offered from its own drawing, not scaled.
    void eachIconSizeIsOfferedFromItsOwnDrawing() {
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        for (const int pixels : {32, 16}) {
            const QImage drawn(QStringLiteral(":/icons/lumivex-%1.png").arg(pixels));
            QCOMPARE(drawn.size(), QSize(pixels, pixels));
            QCOMPARE(qt::application_icon().pixmap(pixels).toImage().convertToFormat(premultiplied),
                     drawn.convertToFormat(premultiplied));
        }
    }
};

QTEST_MAIN(QtDialogTest)
#include "qt_dialog_test.moc"
