#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "platform/fileio.h"
#include "ui/form_yyyymm.h"
#include "ui/frm_mirel.h"
#include "uitest.h"

using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::test::withPeriodDialog;
using mirel::test::writeStartableWorkspace;
using mirel::ui::checkPeriodInput;
using mirel::ui::Form_YYYYMM;
using mirel::ui::Frm_mirel;
using mirel::ui::PeriodInput;

namespace {

const QDate Today(2002, 1, 15);
const QString Ini = QStringLiteral("Рабочее место\n  summ1.txt\n\n[MIREL_WIN]\n  yyyy= 2001\n"
                                   "  MM= 12\n  IE\n[DIR_PASP]\n  Запросы\n");
const Message BadYear{Icon::Error, "Неправильно введен год отчетного периода !!!", ""};
const Message BadMonth{Icon::Error, "Неправильно введен месяц отчетного периода !!!", ""};

// A started window on a workspace with the configuration above.
struct Fixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    RecorderBrowser browser;
    std::unique_ptr<Frm_mirel> window;

    explicit Fixture(const QString& ini = Ini) {
        writeStartableWorkspace(ws, ini);
        window = std::make_unique<Frm_mirel>(ws.path(), prompt, browser);
        if (window->load(Today) != 0) ADD_FAILURE() << "start-up failed";
        window->show();
        prompt.clear();
    }
    QByteArray ini() const { return ws.readBytes("MIREL_WIN.INI"); }
    QString year() const { return window->controls().Txt_Date[0]->text(); }
    QString month() const { return window->controls().Txt_Date[1]->text(); }
};

void type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void altF4(Form_YYYYMM& d) {
    QTest::keyClick(d.monthField(), Qt::Key_F4, Qt::AltModifier);
}

} // namespace

TEST(PeriodDialog, ChecksMonthAndYearInThisOrder) {
    const struct {
        const char* month;
        const char* year;
        PeriodInput expected;
    } cases[] = {
        {"5", "2002", PeriodInput::Valid},     {"05", "2002", PeriodInput::Valid},
        {"0", "2002", PeriodInput::Valid},     {"13", "2002", PeriodInput::Valid},
        {"5", "1", PeriodInput::BadYear},      {"5", "20022", PeriodInput::BadYear},
        {"5", "2OO2", PeriodInput::BadYear},   {"5", "12.5", PeriodInput::BadYear},
        {"5", "-200", PeriodInput::BadYear},   {"5", "", PeriodInput::BadYear},
        {"", "2002", PeriodInput::BadMonth},   {"123", "2002", PeriodInput::BadMonth},
        {"-1", "2002", PeriodInput::BadMonth}, {"1.", "2002", PeriodInput::BadMonth},
        {"1234", "x", PeriodInput::BadMonth},  {"ab", "2002", PeriodInput::Leave},
        {"a", "1", PeriodInput::Leave},        {"май", "2002", PeriodInput::Leave},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkPeriodInput(QString::fromUtf8(c.month), QString::fromUtf8(c.year)),
                  c.expected)
            << c.month << " / " << c.year;
}

TEST(PeriodDialog, OpensOnTheLastPeriodLinesWithTheMonthSelected) {
    Fixture f(QStringLiteral("t\n[MIREL_WIN]\nYYYY= 2001\nYYYY= 2002\nMM= 3\n"));
    EXPECT_EQ(f.year(), "2001"); // start-up takes the first year line
    bool checked = false;
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        EXPECT_EQ(d.windowTitle(), "Коррекция отчетного периода.");
        EXPECT_TRUE(d.isModal());
        EXPECT_EQ(d.findChild<QLabel*>("Lbl_Exit")->text(), "Alt-F4 - Выход");
        EXPECT_EQ(d.monthField()->text(), "3");
        EXPECT_EQ(d.yearField()->text(), "2002"); // the dialog the last one
        EXPECT_EQ(d.monthField()->selectedText(), "3");
        checked = true;
    }));
    EXPECT_TRUE(checked);
}

TEST(PeriodDialog, AValidPeriodRewritesTheFileAndTheWindow) {
    Fixture f;
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        type(d.monthField(), " 5 ");
        type(d.yearField(), "2002");
        altF4(d);
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    EXPECT_EQ(f.year(), "2002");
    EXPECT_EQ(f.month(), "5");
    EXPECT_EQ(f.window->session().year, "2002");
    EXPECT_EQ(f.window->session().month, "5");
    const QByteArray expected = mirel::test::cp1251(
        QStringLiteral(" РАБОЧЕЕ МЕСТО\r\n SUMM1.TXT\r\n[MIREL_WIN]\r\n YYYY= 2002\r\n MM= 5\r\n"
                       " IE\r\n[DIR_PASP]\r\n ЗАПРОСЫ\r\n"));
    EXPECT_TRUE(f.ini() == expected) << f.ini().size() << " bytes";

    // The close box and Enter in the year field close the same way; month 13 is taken.
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        EXPECT_EQ(d.monthField()->text(), "5");
        type(d.monthField(), "13");
        d.close();
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_EQ(f.month(), "13");
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        type(d.monthField(), "1");
        QTest::keyClick(d.monthField(), Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        type(d.yearField(), "2004");
        QTest::keyClick(d.yearField(), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_EQ(f.year(), "2004");
    EXPECT_EQ(f.month(), "1");
    EXPECT_TRUE(f.ws.read("MIREL_WIN.INI").contains(" YYYY= 2004\r\n MM= 1\r\n"));
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(PeriodDialog, ABadYearOrMonthIsRefusedAndTheDialogStaysOpen) {
    Fixture f;
    const QByteArray before = f.ini();
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        type(d.yearField(), "1");
        altF4(d);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(f.prompt.messages, QList<Message>{BadYear});
        type(d.yearField(), "2002");
        type(d.monthField(), "123");
        d.close();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(f.prompt.messages, (QList<Message>{BadYear, BadMonth}));
        type(d.monthField(), "");
        d.close();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(f.prompt.messages.size(), 3);
        EXPECT_EQ(f.prompt.messages.last(), BadMonth);
        // Escape leaves without change.
        QTest::keyClick(d.monthField(), Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_TRUE(f.ini() == before);
    EXPECT_EQ(f.year(), "2001");
    EXPECT_EQ(f.month(), "12");
}

TEST(PeriodDialog, AnyOtherMonthTextClosesWithoutChange) {
    Fixture f;
    const QByteArray before = f.ini();
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        type(d.monthField(), "ab");
        type(d.yearField(), "2002");
        altF4(d);
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    EXPECT_TRUE(f.ini() == before);
    EXPECT_EQ(f.year(), "2001");
    EXPECT_EQ(f.month(), "12");
}

TEST(PeriodDialog, WithoutPeriodLinesItReportsAndDoesNotOpen) {
    // The month line is the first line of the file: it does not count.
    Fixture f(QStringLiteral("MM= 5\n[MIREL_WIN]\nYYYY= 2002\n"));
    const QByteArray before = f.ini();
    EXPECT_FALSE(withPeriodDialog(*f.window, [](Form_YYYYMM&) {}));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error,
                               "В файле MIREL_WIN.INI отсутствуют параметры : YYYY= или MM= !!!",
                               "ВЫХОД !!!"}}));
    EXPECT_TRUE(f.ini() == before);
    EXPECT_EQ(f.year(), "2002");
}

TEST(PeriodDialog, AReadOnlyConfigurationIsMadeWritableWhenTheDialogOpens) {
    Fixture f;
    ASSERT_TRUE(mirel::platform::setReadOnly(f.ws.file("MIREL_WIN.INI"), true));
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        EXPECT_FALSE(mirel::platform::isReadOnly(f.ws.file("MIREL_WIN.INI")));
        type(d.monthField(), "6");
        altF4(d);
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    EXPECT_EQ(f.month(), "6");
    EXPECT_TRUE(f.ws.read("MIREL_WIN.INI").contains(" YYYY= 2001\r\n MM= 6\r\n"));
}

TEST(PeriodDialog, AFileThatCannotBeRewrittenKeepsTheDialogOpen) {
    Fixture f;
    const QByteArray before = f.ini();
    const QString path = f.ws.file("MIREL_WIN.INI");
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        // Protected again while the dialog is open.
        ASSERT_TRUE(mirel::platform::setReadOnly(path, true));
        type(d.monthField(), "7");
        altF4(d);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(f.prompt.messages,
                  (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", path},
                                  {Icon::Error, "Ошибка перезаписи файла MIREL_WIN.INI !!!", ""}}));
        QTest::keyClick(d.yearField(), Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_TRUE(f.ini() == before);
    EXPECT_EQ(f.month(), "12");
}

TEST(PeriodDialog, APeriodLineWithoutValueOpensTheDialogToTypeIt) {
    Fixture f(QStringLiteral("t\n[MIREL_WIN]\nYYYY=\nMM= 3\n"));
    EXPECT_TRUE(withPeriodDialog(*f.window, [&](Form_YYYYMM& d) {
        EXPECT_EQ(d.monthField()->text(), "3");
        EXPECT_EQ(d.yearField()->text(), "");
        altF4(d);
        EXPECT_EQ(f.prompt.messages, QList<Message>{BadYear});
        type(d.yearField(), "2003");
        altF4(d);
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_EQ(f.year(), "2003");
    EXPECT_TRUE(f.ini() == mirel::test::cp1251(" T\r\n[MIREL_WIN]\r\n YYYY= 2003\r\n MM= 3\r\n"));
}
