#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "data/protection.h"
#include "platform/fileio.h"
#include "platform/mail.h"
#include "ui/form_vv.h"
#include "ui/form_vv_grid.h"
#include "ui/frm_mirel.h"
#include "viewtest.h"

using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::ui::EntryControls;
using mirel::ui::Form_VV;

namespace {

const QDate Today(2026, 1, 15);
const QString Form210 = "210 - Основные показатели социально-экономического положения района";

class RecordingMailer : public mirel::platform::Mailer {
public:
    mirel::platform::MailResult send(const mirel::platform::MailRequest& request) override {
        requests.append(request);
        return {mirel::platform::MailResult::Status::Sent, {}};
    }
    QList<mirel::platform::MailRequest> requests;
};

// The demo workspace (period December 2025) with its own temporary folder, and a session
// started on it as the main window starts it.
struct EntryFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    RecorderBrowser browser;
    RecordingMailer mailer;
    mirel::reference::Session session;
    std::unique_ptr<Form_VV> form;

    EntryFixture() {
        ws.copyTree(MIREL_DEMO_DIR);
        ws.mkdir("TMP");
        mirel::platform::setTempDirOverride(ws.file("TMP"));
        session.programDir = ws.path();
        EXPECT_EQ(mirel::reference::F_Global(session, Today, prompt), 0);
        prompt.clear();
    }
    ~EntryFixture() {
        if (form) {
            // Whatever a test left open goes without saving.
            form->hide();
            form.reset();
        }
        mirel::platform::setTempDirOverride(QString());
    }

    // Opens the window for a region of form 210 (or another caption) and shows it.
    Form_VV& open(const QString& caption) {
        form = std::make_unique<Form_VV>(session, caption, prompt, browser, mailer);
        EXPECT_TRUE(form->load());
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        c().Grid_VV->setFocus();
        return *form;
    }
    Form_VV& open210(const QString& region, const QString& name) {
        return open(region + " - " + name + ". " + Form210);
    }
    EntryControls& c() { return form->controls(); }

    // Types into the grid as a person does: the first key opens the editor, the others go to
    // whatever has the focus.
    void type(const QString& keys) {
        for (QChar ch : keys)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }
    void at(int row, int column) {
        c().Grid_VV->setFocus();
        c().Grid_VV->setCurrentCell(row, column);
    }
    std::pair<int, int> current() { return c().Grid_VV->currentCell(); }
    QString cell(int row, int column) { return form->grid().cell(row, column); }
    QString data(const QString& file) { return ws.read("DAT/" + file); }
    bool editorOpen() { return c().Grid_VV->editorOpen(); }
    void clickTab(int section) {
        QTabBar* tabs = c().Tab_VV;
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(section - 1).center());
    }
    QStringList tabs() {
        QStringList out;
        for (int i = 0; i < c().Tab_VV->count(); ++i)
            out.append(c().Tab_VV->tabText(i));
        return out;
    }
};

// The data lines of a section of form 210 written from a grid: row label, then the values.
QString dataLines(int rows, int columns, const QMap<std::pair<int, int>, QString>& values) {
    QString out;
    for (int r = 1; r <= rows; ++r) {
        out += QString("%1").arg(r, 2, 10, QChar('0'));
        for (int c = 1; c <= columns; ++c)
            out += " " + values.value({r, c}, "0");
        out += "\r\n";
    }
    return out;
}

// Runs the steps on the entry window once it is open modally, then closes it.
void whenEntryOpens(QObject* context, const std::function<void(Form_VV&)>& steps) {
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, steps] {
        auto* entry = qobject_cast<Form_VV*>(QApplication::activeModalWidget());
        if (!entry || !entry->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        steps(*entry);
        entry->close();
        // A window that refused to close fails the test instead of keeping it waiting.
        if (entry->isVisible()) entry->done(QDialog::Rejected);
    });
    poll->start(10);
}

} // namespace

TEST(Form_VV, OpensOnSectionOneWithItsTabsPeriodAndMenus) {
    EntryFixture f;
    Form_VV& w = f.open210("1102", "Верхнекамский район");
    EXPECT_EQ(w.windowTitle(), "1102 - Верхнекамский район. " + Form210);
    EXPECT_EQ(f.tabs(), (QStringList{"01: ?", "02: ?", "03: ?", "04: ?"}));
    EXPECT_EQ(f.c().Txt_Date[0]->text(), "2025");
    EXPECT_EQ(f.c().Txt_Date[1]->text(), "12");
    EXPECT_EQ(f.c().Lbl_BasePer->text(), "2024 01 - последнее изменение формы");
    EXPECT_EQ(w.currentSection(), 1);
    EXPECT_EQ(f.cell(1, 1), "94901");
    EXPECT_EQ(f.c().Grid_VV->model()->headerData(0, Qt::Vertical).toString(),
              "01 ВСЕГО ПО ПРОМЫШЛЕННОСТИ");
    EXPECT_EQ(f.c().Cmd_Matrix->text(), "Печать");
    EXPECT_EQ(f.c().menu_Protect->text(), "Защита данных : установить");
    EXPECT_TRUE(f.c().menu_Protect->isEnabled());
    EXPECT_FALSE(f.c().menu_Export->isEnabled());
    EXPECT_TRUE(f.c().menu_Del->menuAction()->isEnabled());
    EXPECT_TRUE(f.c().menu_LogRR->isEnabled());
    EXPECT_FALSE(f.c().Picture_Box->isVisible());
    QStringList forms;
    for (QAction* a : f.c().menu_Forms->actions())
        forms.append(a->text().left(3));
    EXPECT_EQ(forms, (QStringList{"130", "210", "410", "510", "620"}));
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join(" | ").toStdString();

    // Form 130 has a section document: the button prints a "Документ".
    EntryFixture g;
    g.open("1102 - Верхнекамский район. 130 - Сведения о численности безработных граждан");
    EXPECT_EQ(g.c().Cmd_Matrix->text(), "Документ");
    EXPECT_FALSE(g.c().menu_LogRR->isEnabled()); // a form of one section
    EXPECT_TRUE(g.c().menu_LogFFF->isEnabled());
}

TEST(Form_VV, NonNumericValuesKeepTheWindowClosed) {
    EntryFixture f;
    f.session.month = "13";
    Form_VV w(f.session, "1102 - Район. " + Form210, f.prompt, f.browser, f.mailer);
    EXPECT_FALSE(w.load());
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Нечисловое значение отчетного периода !!!", ""}}));
}

TEST(Form_VV, TypingDownwardsThenAnotherTabSavesTheSectionAsUnchecked) {
    EntryFixture f;
    f.open210("1105", "Сосновский район");
    EXPECT_EQ(f.tabs(), (QStringList{"01", "02", "03", "04"}));
    QTest::mouseClick(f.c().Option_Down, Qt::LeftButton);
    EXPECT_TRUE(f.ws.exists("KEY_DOWN"));
    f.c().Grid_VV->setFocus();
    f.at(1, 1);
    f.type("12");
    EXPECT_TRUE(f.editorOpen());
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.current(), (std::pair<int, int>{2, 1}));
    f.type("1 234"); // the blank opens nothing inside the editor and is dropped on entry
    f.key(Qt::Key_Return);
    f.type("5");
    f.key(Qt::Key_Escape); // dropped
    EXPECT_EQ(f.cell(3, 1), "");
    f.type("6");
    f.key(Qt::Key_Right); // written, one cell to the right
    EXPECT_EQ(f.current(), (std::pair<int, int>{3, 2}));
    f.at(26, 1);
    f.type("9");
    f.key(Qt::Key_Return); // the last row: the cursor stays
    EXPECT_EQ(f.current(), (std::pair<int, int>{26, 1}));
    EXPECT_TRUE(f.form->sectionChanged(1));
    EXPECT_FALSE(f.ws.exists("DAT/DAT_2512.210/1105.01"));

    f.clickTab(2);
    EXPECT_EQ(f.form->currentSection(), 2);
    EXPECT_EQ(
        f.ws.readBytes("DAT/DAT_2512.210/1105.01"),
        mirel::test::cp1251(
            "PR_?\r\n! 0000 210 01 25 12 1105\r\n" +
            dataLines(26, 6, {{{1, 1}, "12"}, {{2, 1}, "1234"}, {{3, 1}, "6"}, {{26, 1}, "9"}})));
    EXPECT_EQ(f.tabs(), (QStringList{"01: ?", "02", "03", "04"}));
    EXPECT_FALSE(f.form->sectionChanged(1));
    // An untouched section is not written on leaving.
    f.clickTab(4);
    EXPECT_FALSE(f.ws.exists("DAT/DAT_2512.210/1105.02"));
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join(" | ").toStdString();
}

TEST(Form_VV, TypingRightwardsWrapsToTheNextRowAndStopsAtTheLastCell) {
    EntryFixture f;
    f.ws.writeBytes("KEY_DOWN", "");
    f.open210("1105", "Сосновский район");
    EXPECT_TRUE(f.c().Option_Down->isChecked());
    QTest::mouseClick(f.c().Option_Right, Qt::LeftButton);
    EXPECT_TRUE(f.ws.exists("KEY_RIGHT"));
    EXPECT_FALSE(f.ws.exists("KEY_DOWN"));
    f.c().Grid_VV->setFocus();
    f.at(1, 5);
    f.type("1");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.current(), (std::pair<int, int>{1, 6}));
    f.type("2");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.current(), (std::pair<int, int>{2, 1}));
    f.at(24, 6);
    f.type("3");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.current(), (std::pair<int, int>{25, 1}));
    f.at(26, 4);
    f.key(Qt::Key_Right);
    EXPECT_EQ(f.current(), (std::pair<int, int>{26, 5}));
    f.type("4");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.current(), (std::pair<int, int>{26, 6}));
    f.at(25, 6);
    f.type("5");
    f.key(Qt::Key_Down);   // written, one row down: the last cell
    f.key(Qt::Key_Return); // no editor: the cursor stays on the last cell
    EXPECT_EQ(f.current(), (std::pair<int, int>{26, 6}));
    EXPECT_EQ(f.cell(1, 6), "2");
    EXPECT_EQ(f.cell(24, 6), "3");
    EXPECT_EQ(f.cell(26, 5), "4");
    EXPECT_EQ(f.cell(25, 6), "5");

    // The choice holds for the next window.
    f.form->close();
    EntryFixture g;
    g.ws.writeBytes("KEY_RIGHT", "");
    g.open210("1105", "Сосновский район");
    EXPECT_TRUE(g.c().Option_Right->isChecked());
}

TEST(Form_VV, ZeroMapCellsRefuseTypingAndPasting) {
    EntryFixture f;
    f.open210("1105", "Сосновский район");
    auto* model = f.c().Grid_VV->model();
    // Row 26 of section 1 keeps columns 2, 3, 4 and 6 at zero.
    EXPECT_EQ(model->data(model->index(25, 1), Qt::BackgroundRole).value<QColor>(),
              mirel::ui::SectionGridModel::zeroCellColour());
    EXPECT_FALSE(model->flags(model->index(25, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(25, 4)) & Qt::ItemIsEditable);
    f.at(26, 2);
    f.type("5");
    EXPECT_FALSE(f.editorOpen());
    QTest::keyClick(f.c().Grid_VV, Qt::Key_Space);
    EXPECT_FALSE(f.editorOpen());
    EXPECT_EQ(f.cell(26, 2), "");

    QApplication::clipboard()->setText("1\t2\t3\t4\t5\t6\t7\n8\n");
    f.at(26, 1);
    QTest::keyClick(f.c().Grid_VV, Qt::Key_V, Qt::ControlModifier);
    QStringList row;
    for (int c = 1; c <= 6; ++c)
        row.append(f.cell(26, c));
    EXPECT_EQ(row, (QStringList{"1", "", "", "", "5", ""}));
}

TEST(Form_VV, PasteCopyAndUndoOfABlock) {
    EntryFixture f;
    f.open210("1105", "Сосновский район");
    QApplication::clipboard()->setText(QString("1 000\t2\r\n3\t") + QChar(0x00A0) + "4\r\n");
    f.at(2, 5);
    QTest::keyClick(f.c().Grid_VV, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.cell(2, 5), "1000");
    EXPECT_EQ(f.cell(2, 6), "2");
    EXPECT_EQ(f.cell(3, 5), "3");
    EXPECT_EQ(f.cell(3, 6), "4");
    EXPECT_TRUE(f.form->sectionChanged(1));
    f.at(3, 5);
    f.type("7");
    f.key(Qt::Key_Return);

    f.c().Grid_VV->selectionModel()->clearSelection();
    f.at(2, 5);
    QTest::keyClick(f.c().Grid_VV, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(f.c().Grid_VV, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(f.c().Grid_VV, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "1000\t2\n7\t4\n");

    QTest::keyClick(f.c().Grid_VV, Qt::Key_Z, Qt::ControlModifier); // the typed 7
    EXPECT_EQ(f.cell(3, 5), "3");
    QTest::keyClick(f.c().Grid_VV, Qt::Key_Z, Qt::ControlModifier); // the block
    EXPECT_EQ(f.cell(2, 5), "");
    EXPECT_EQ(f.cell(3, 6), "");
}

TEST(Form_VV, CloseIsRefusedWhileTheEditorIsOpenThenSaves) {
    EntryFixture f;
    Form_VV& w = f.open210("1105", "Сосновский район");
    f.at(1, 1);
    f.type("42");
    ASSERT_TRUE(f.editorOpen());
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(f.ws.exists("DAT/DAT_2512.210/1105.01"));
    f.key(Qt::Key_Return);
    f.c().menu_Exit->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(f.data("DAT_2512.210/1105.01").section("\r\n", 2, 2), "01 42 0 0 0 0 0");
}

TEST(Form_VV, WholeFormControlMarksEverySectionAndHighlightsWrongCells) {
    EntryFixture f;
    f.open210("1102", "Верхнекамский район");
    f.at(2, 2);
    f.c().menu_LogFFF->trigger();
    EXPECT_EQ(f.tabs(), (QStringList{"01: ??", "02: ++", "03: ++", "04: ++"}));
    EXPECT_EQ(f.data("DAT_2512.210/1102.01").section("\r\n", 0, 0), "PR_??");
    EXPECT_EQ(f.data("DAT_2512.210/1102.04").section("\r\n", 0, 0), "PR_++");
    EXPECT_EQ(f.form->currentSection(), 1); // back where the run started
    ASSERT_EQ(f.browser.opened.size(), 1);
    EXPECT_TRUE(f.ws.read("TMP/" + QFileInfo(f.browser.opened.first()).fileName())
                    .contains("<td><b>РАЗДЕЛ 01</b></td>"));
    auto* model = f.c().Grid_VV->model();
    const QColor wrong = mirel::ui::SectionGridModel::wrongCellColour();
    EXPECT_EQ(model->data(model->index(0, 0), Qt::BackgroundRole).value<QColor>(), wrong);
    EXPECT_NE(model->data(model->index(5, 5), Qt::BackgroundRole).value<QColor>(), wrong);
    EXPECT_TRUE(f.c().menu_Export->isEnabled());
    EXPECT_EQ(f.c().menu_Protect->text(), "Защита данных : установить");

    // An edit of a highlighted cell takes its mark away; the single-section run keeps the marks.
    f.at(1, 1);
    f.type("1");
    f.key(Qt::Key_Return);
    EXPECT_NE(model->data(model->index(0, 0), Qt::BackgroundRole).value<QColor>(), wrong);
    f.c().menu_LogRR->trigger();
    EXPECT_EQ(f.tabs().first(), "01: ??");
    EXPECT_EQ(model->data(model->index(0, 0), Qt::BackgroundRole).value<QColor>(), wrong);
    EXPECT_EQ(f.browser.opened.size(), 2);
}

TEST(Form_VV, AStoppedWholeFormControlWritesNoPage) {
    // Section 3 is computed again when it is shown; while its message is read, the person asks
    // to stop.
    struct SlowPrompt : RecorderPrompt {
        void message(const QString& text, Icon icon, const QString& title) override {
            RecorderPrompt::message(text, icon, title);
            QThread::msleep(120);
        }
        // Asked to stop only once the message is read, however slowly the sections load.
        bool stopRequested() override {
            ++stopQuestions;
            return !messages.isEmpty();
        }
    };
    EntryFixture f;
    QString third = f.data("DAT_2512.210/1102.03");
    third.replace("01 31283 ", "01 1 ");
    f.ws.write("DAT/DAT_2512.210/1102.03", third, true);
    SlowPrompt slow;
    Form_VV w(f.session, "1102 - Верхнекамский район. " + Form210, slow, f.browser, f.mailer);
    ASSERT_TRUE(w.load());
    w.menu_LogFFF_Click();
    EXPECT_EQ(slow.texts(), (QStringList{"Данные были изменены при пересчете раздела !!!",
                                         mirel::platform::stoppedText()}));
    EXPECT_TRUE(f.browser.opened.isEmpty());
    EXPECT_TRUE(QDir(f.ws.file("TMP")).isEmpty());
    EXPECT_EQ(f.data("DAT_2512.210/1102.01").section("\r\n", 0, 0), "PR_??");
    EXPECT_EQ(f.data("DAT_2512.210/1102.04").section("\r\n", 0, 0), "PR_?");
    EXPECT_EQ(w.currentSection(), 1);
}

TEST(Form_VV, ProtectedDataRefuseTheSaveAndKeepWhatWasTyped) {
    EntryFixture f;
    f.open210("1102", "Верхнекамский район");
    const QByteArray stored = f.ws.readBytes("DAT/DAT_2512.210/1102.01");
    f.c().menu_Protect->trigger();
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Information, "Защита установлена !!!", ""}}));
    EXPECT_TRUE(f.c().Picture_Box->isVisible());
    EXPECT_EQ(f.c().menu_Protect->text(), "Защита данных : снять");
    EXPECT_FALSE(f.c().menu_Del->menuAction()->isEnabled());

    f.prompt.clear();
    f.at(1, 1);
    f.type("7");
    f.key(Qt::Key_Return);
    f.c().menu_Save->trigger();
    const QString path = f.form->form()->path(1);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", path}}));
    EXPECT_EQ(f.ws.readBytes("DAT/DAT_2512.210/1102.01"), stored);
    EXPECT_EQ(f.cell(1, 1), "7");

    // Leaving the section asks before the typed values are dropped.
    f.prompt.answers = {false};
    f.clickTab(2);
    EXPECT_EQ(f.form->currentSection(), 1);
    EXPECT_EQ(f.c().Tab_VV->currentIndex(), 0);
    EXPECT_EQ(f.cell(1, 1), "7");
    EXPECT_EQ(f.prompt.questions.last(),
              (Message{Icon::Question, "Данные  изменены !!!", "Выйти без сохранения ?"}));

    f.prompt.clear();
    f.c().menu_Protect->trigger();
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::Information, "Защита снята !!!", ""}}));
    EXPECT_FALSE(f.c().Picture_Box->isVisible());
    f.c().menu_Save->trigger();
    EXPECT_EQ(f.data("DAT_2512.210/1102.01").section("\r\n", 2, 2).section(' ', 0, 1), "01 7");
}

// A full disk in small: while it lives, no file of this process may grow beyond limit bytes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit r{limit, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_old{};
    void (*m_signal)(int) = nullptr;
};

TEST(Form_VV, AFullDiskKeepsTheFileAndWhatWasTyped) {
    EntryFixture f;
    f.open210("1102", "Верхнекамский район");
    const QByteArray stored = f.ws.readBytes("DAT/DAT_2512.210/1102.01");
    f.at(1, 1);
    f.type("7");
    f.key(Qt::Key_Return);
    f.prompt.clear();
    {
        const FileSizeLimit full(64);
        f.c().menu_Save->trigger();
    }
    const QString path = f.form->form()->path(1);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", path}}));
    EXPECT_EQ(f.ws.readBytes("DAT/DAT_2512.210/1102.01"), stored);
    EXPECT_EQ(f.cell(1, 1), "7");
    // Room again: the same values are saved.
    f.prompt.clear();
    f.c().menu_Save->trigger();
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join('|').toStdString();
    EXPECT_EQ(f.data("DAT_2512.210/1102.01").section("\r\n", 2, 2).section(' ', 0, 1), "01 7");
}

TEST(Form_VV, ClearThenDeleteTheSectionAndAllSections) {
    EntryFixture f;
    f.open210("1102", "Верхнекамский район");
    const QByteArray stored = f.ws.readBytes("DAT/DAT_2512.210/1102.01");
    f.prompt.answers = {false, true};
    f.c().menu_Clear->trigger();
    EXPECT_EQ(f.cell(1, 1), "94901");
    f.c().menu_Clear->trigger();
    EXPECT_EQ(f.cell(1, 1), "0");
    EXPECT_EQ(f.cell(26, 6), "0");
    EXPECT_EQ(f.ws.readBytes("DAT/DAT_2512.210/1102.01"), stored);

    f.prompt.clear();
    f.c().menu_DelRR->trigger();
    EXPECT_FALSE(f.ws.exists("DAT/DAT_2512.210/1102.01"));
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::None, "Раздел удален !!!", ""}}));
    EXPECT_EQ(f.tabs(), (QStringList{"01", "02: ?", "03: ?", "04: ?"}));
    EXPECT_EQ(f.cell(1, 1), "");
    EXPECT_FALSE(f.c().menu_Del->menuAction()->isEnabled());
    EXPECT_FALSE(f.c().menu_Protect->isEnabled()); // the form is no longer complete

    f.clickTab(3);
    f.c().menu_DelAll->trigger();
    EXPECT_EQ(f.tabs(), (QStringList{"01", "02", "03", "04"}));
    for (const char* s : {"02", "03", "04"})
        EXPECT_FALSE(f.ws.exists(QString("DAT/DAT_2512.210/1102.") + s));
    // Leaving the emptied section writes nothing back.
    f.clickTab(1);
    EXPECT_FALSE(f.ws.exists("DAT/DAT_2512.210/1102.03"));
}

TEST(Form_VV, AComputedSectionFollowsItsCalculation) {
    EntryFixture f;
    // Stored with a total that does not add up: showing the section computes it again.
    f.ws.write("DAT/DAT_2512.210/1105.03", "PR_?\n! 0000 210 03 25 12 1105\n01 1 0 0 0 0\n"
                                           "02 5 0 0 0 0\n03 7 0 0 0 0\n");
    f.open210("1105", "Сосновский район");
    f.clickTab(3);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Warning, "Данные были изменены при пересчете раздела !!!",
                               "Внимание !!!"}}));
    EXPECT_EQ(f.cell(1, 1), "12");
    EXPECT_TRUE(f.form->sectionChanged(3));
    EXPECT_FALSE(f.c().menu_Forms->menuAction()->isEnabled());
    EXPECT_TRUE(f.data("DAT_2512.210/1105.03").contains("01 1 0"));

    // After Enter the section is computed again.
    f.at(2, 2);
    f.type("10");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.cell(1, 2), "10");
    f.at(3, 2);
    f.type("20");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.cell(1, 2), "30");
    f.c().menu_Save->trigger();
    EXPECT_TRUE(f.data("DAT_2512.210/1105.03").contains("01 12 30 0 0 0\r\n"));
    EXPECT_TRUE(f.c().menu_Forms->menuAction()->isEnabled());
}

TEST(Form_VV, ChangingTheFormAsksBeforeDroppingChanges) {
    EntryFixture f;
    f.open210("1105", "Сосновский район");
    f.at(1, 1);
    f.type("3");
    f.key(Qt::Key_Return);
    QAction* form130 = f.c().menu_Forms->actions().first();
    f.prompt.answers = {false};
    form130->trigger();
    EXPECT_EQ(f.form->windowTitle(), "1105 - Сосновский район. " + Form210);
    EXPECT_EQ(f.prompt.questions,
              (QList<Message>{{Icon::Question, "Данные  изменены !!!", "Выйти без сохранения ?"}}));
    form130->trigger();
    EXPECT_EQ(f.form->windowTitle(),
              "1105 - Сосновский район. 130 - Сведения о численности безработных граждан");
    EXPECT_EQ(f.tabs().size(), 1);
    EXPECT_FALSE(f.ws.exists("DAT/DAT_2512.210/1105.01"));
}

TEST(Form_VV, PrintExportAndTheSummaryReportWithMail) {
    EntryFixture f;
    f.open("1102 - Верхнекамский район. 130 - Сведения о численности безработных граждан");
    QTest::mouseClick(f.c().Cmd_Matrix, Qt::LeftButton);
    ASSERT_EQ(f.browser.opened.size(), 1);
    const QString page = f.ws.read("TMP/" + QFileInfo(f.browser.opened.first()).fileName());
    EXPECT_TRUE(page.contains("<td><b>N/N</b></td><td><b>1- на начало месяца</b></td>"));
    EXPECT_TRUE(page.contains("1102 Верхнекамский район 130 01 2025 12 ("));

    QString proposed;
    f.form->chooseExportFile = [&](const QString& proposal) -> std::optional<QString> {
        proposed = proposal;
        return f.ws.file(proposal);
    };
    f.c().menu_Export->trigger(); // disabled until a whole-form control: nothing happens
    EXPECT_TRUE(proposed.isEmpty());
    f.form->menu_Export_Click();
    EXPECT_EQ(proposed, "1102_130.txt");
    EXPECT_EQ(f.ws.readBytes("1102_130.txt"), f.ws.readBytes("DAT/DAT_2512.130/1102.01") + "\r\n");
    f.form->chooseExportFile = [](const QString&) { return std::nullopt; };
    f.prompt.clear();
    f.form->menu_Export_Click();
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "ОШИБКА при записи файла экспорта !!!", ""}}));

    // Form 210 has a summary template; then the data go by mail to the "[MAIL]" address.
    EntryFixture g;
    g.open210("1102", "Верхнекамский район");
    g.c().menu_Svod->trigger();
    ASSERT_EQ(g.browser.opened.size(), 1);
    EXPECT_EQ(g.browser.opened.first(), g.ws.file("TMP/SVOD210_1102_2512.HTM"));
    const QString svod = g.ws.read("TMP/SVOD210_1102_2512.HTM");
    EXPECT_TRUE(
        svod.contains("<b>Верхнекамский район</b> : отчетный период <b>12</b>.<b>2025</b>"));
    EXPECT_TRUE(svod.contains("<td align=right>94901</td><td align=right>920722</td>"));
    EXPECT_EQ(g.prompt.questions,
              (QList<Message>{{Icon::Question, "Вы сохранили все данные ?", "ВНИМАНИЕ !!!"},
                              {Icon::Question, "Отправить по электронной почте ?", ""}}));
    ASSERT_EQ(g.mailer.requests.size(), 1);
    EXPECT_EQ(g.mailer.requests.first().recipient, "svod@krasnopol-stat.example");
    EXPECT_EQ(QFileInfo(g.mailer.requests.first().attachment).fileName(), "Mirel_210_2025_12");
    EXPECT_EQ(g.prompt.messages.last(),
              (Message{Icon::Information, "Сообщение было направлено в папку <ИСХОДЯЩИЕ>.",
                       "Загрузите Microsoft OutLook и отправьте почту !!!"}));
}

TEST(Form_VV, TheRegisterOpensEntryAndReadsTheRowAgain) {
    TempWorkspace ws;
    ws.copyTree(MIREL_DEMO_DIR);
    auto lw = mirel::test::loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    mirel::ui::Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    c.menu_VV_All->trigger();
    QComboBox* combo = c.Combo_FFF;
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "210");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QTableWidget* g = c.Grid;
    int row = -1;
    for (int r = 0; r < g->rowCount(); ++r)
        if (g->item(r, 0) && g->item(r, 0)->text() == "1105") row = r;
    ASSERT_GE(row, 0);
    EXPECT_EQ(mirel::test::gridRow(g, row).mid(2), (QStringList{"", "", "", ""}));

    QString title;
    whenEntryOpens(&w, [&](Form_VV& entry) {
        title = entry.windowTitle();
        mirel::ui::EntryGrid* grid = entry.controls().Grid_VV;
        grid->setCurrentCell(1, 1);
        EXPECT_TRUE(grid->openEditor("5"));
        grid->commitEditor();
        EXPECT_EQ(entry.grid().cell(1, 1), "5");
    });
    const QRect cell = g->visualRect(g->model()->index(row, 1));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(title, "1105 - Сосновский район. " + Form210);
    EXPECT_EQ(mirel::test::gridRow(g, row).mid(2), (QStringList{"?", "", "", ""}));
    EXPECT_TRUE(lw->prompt.messages.isEmpty()) << lw->prompt.texts().join(" | ").toStdString();
}

TEST(Form_VV, OwnRegionEntryWaitsForAFormChosenInTheMenu) {
    TempWorkspace ws;
    ws.copyTree(MIREL_DEMO_DIR);
    QString ini = ws.read("MIREL_WIN.INI");
    ini.replace("  SUMM1.TXT\r\n  SUMM2.TXT\r\n[MIREL_WIN]",
                "  1105-Сосновский район\r\n[MIREL_WIN]");
    ws.write("MIREL_WIN.INI", ini, true);
    auto lw = mirel::test::loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    mirel::ui::Frm_mirel& w = *lw->window;
    ASSERT_TRUE(w.controls().mnu_VV->isVisible());
    ASSERT_TRUE(w.controls().mnu_VV->isEnabled());
    QString title;
    bool gridShown = true;
    bool actionsOffered = true;
    whenEntryOpens(&w, [&](Form_VV& entry) {
        title = entry.windowTitle();
        gridShown = entry.controls().Grid_VV->isVisible();
        actionsOffered = entry.controls().menu_Save->isEnabled() ||
                         entry.controls().Cmd_Matrix->isEnabled() ||
                         entry.controls().menu_Svod->isEnabled();
        entry.controls().menu_Forms->actions().at(1)->trigger();
        title += " | " + entry.windowTitle();
    });
    w.controls().mnu_VV->trigger();
    EXPECT_EQ(title, "1105 - Сосновский район. | 1105 - Сосновский район. " + Form210);
    EXPECT_FALSE(gridShown);
    EXPECT_FALSE(actionsOffered);
    EXPECT_TRUE(lw->prompt.messages.isEmpty()) << lw->prompt.texts().join(" | ").toStdString();
}
