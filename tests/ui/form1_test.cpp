#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "platform/fileio.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/settings.h"
#include "uitest.h"

using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::ui::Form1;
using mirel::ui::Form2;

namespace {

// Every editor of the tests starts without the look a test before it chose.
struct ForgetLook {
    ForgetLook() { mirel::ui::userSettings()->remove("editor"); }
};

struct EditorFixture {
    ForgetLook forget;
    TempWorkspace ws;
    RecorderPrompt prompt;
    Form1 form{prompt};
    QStringList opened; // what the file dialogs were asked to start from
    QString openAnswer;
    QString saveAnswer;

    EditorFixture() {
        form.dialogs.openFile = [this](QWidget*, const QString& current) {
            opened.append(current);
            return openAnswer;
        };
        form.dialogs.saveFile = [this](QWidget*, const QString& current) {
            opened.append(current);
            return saveAnswer;
        };
        form.show();
    }
    QAction* item(const char* menu, const char* caption) const {
        QAction* a = form.item(QString::fromUtf8(menu), QString::fromUtf8(caption));
        EXPECT_NE(a, nullptr) << menu << " " << caption;
        return a;
    }
    void select(int from, int to) const {
        QTextCursor cursor = form.Editor->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        form.Editor->setTextCursor(cursor);
    }
    QString selection() const { return form.Editor->textCursor().selectedText(); }
};

QStringList menuItems(const Form1& form) {
    QStringList out;
    for (QAction* bar : form.menuBar()->actions()) {
        QStringList items;
        for (QAction* a : bar->menu()->actions())
            if (!a->isSeparator()) items.append(a->text());
        out.append(bar->text() + ": " + items.join(", "));
    }
    return out;
}

} // namespace

TEST(Form1, HasTheMenusOfTheSimpleTextEditor) {
    EditorFixture f;
    EXPECT_EQ(f.form.windowTitle(), "Simple Text Editor[*]");
    EXPECT_EQ(menuItems(f.form), (QStringList{"File: New, Open, Save, Save As, Exit",
                                              "Edit: Copy, Cut, Paste, Select All, Find",
                                              "Process: Upper Case, Lower Case, Number Lines",
                                              "Customize: Font, Page Color, Text Color"}));
}

TEST(Form1, ReadsAndWritesCodePage1251WithCrLf) {
    EditorFixture f;
    f.ws.writeBytes("q.PSP", cp1251("1: 101 1\r\nDAT\r\n1 = V1 * 2\r\n"));
    ASSERT_TRUE(f.form.Pasp_Edit(f.ws.file("q.PSP")));
    EXPECT_EQ(f.form.Editor->toPlainText(), "1: 101 1\nDAT\n1 = V1 * 2\n");
    EXPECT_EQ(f.form.currentFile(), f.ws.file("q.PSP"));

    f.form.Editor->moveCursor(QTextCursor::End);
    f.form.Editor->insertPlainText("СОРТ");
    f.item("File", "Save")->trigger();
    EXPECT_TRUE(f.ws.readBytes("q.PSP") == cp1251("1: 101 1\r\nDAT\r\n1 = V1 * 2\r\nСОРТ"));
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    EXPECT_FALSE(f.form.Editor->document()->isModified());

    // Save As asks for the file (starting from the current one); cancelling changes nothing.
    f.item("File", "Save As")->trigger();
    EXPECT_EQ(f.form.currentFile(), f.ws.file("q.PSP"));
    f.saveAnswer = f.ws.file("copy.TXT");
    f.item("File", "Save As")->trigger();
    EXPECT_EQ(f.opened, (QStringList{f.ws.file("q.PSP"), f.ws.file("q.PSP")}));
    EXPECT_EQ(f.form.currentFile(), f.ws.file("copy.TXT"));
    EXPECT_TRUE(f.ws.readBytes("copy.TXT") == f.ws.readBytes("q.PSP"));
}

TEST(Form1, FailuresForgetTheCurrentFile) {
    EditorFixture f;
    f.ws.write("q.PSP", "DAT\n");
    ASSERT_TRUE(f.form.Pasp_Edit(f.ws.file("q.PSP")));
    mirel::platform::setReadOnly(f.ws.file("q.PSP"), true);
    QTest::keyClicks(f.form.Editor, "1");
    EXPECT_FALSE(f.form.fileSave());
    EXPECT_TRUE(f.ws.readBytes("q.PSP") == cp1251("DAT\r\n"));
    EXPECT_EQ(f.form.currentFile(), "");
    mirel::platform::setReadOnly(f.ws.file("q.PSP"), false);

    f.form.Editor->document()->setModified(false);
    EXPECT_FALSE(f.form.Pasp_Edit(f.ws.file("missing.PSP")));
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{
            {Icon::Error, "Unkown error while saving file " + f.ws.file("q.PSP"), ""},
            {Icon::Error, "Unkown error while opening file " + f.ws.file("missing.PSP"), ""}}));
}

TEST(Form1, NewAndOpenAskBeforeAChangedTextIsDropped) {
    EditorFixture f;
    f.ws.write("a.PSP", "A\n");
    f.ws.write("b.PSP", "B\n");
    f.form.Pasp_Edit(f.ws.file("a.PSP"));
    QTest::keyClicks(f.form.Editor, "x");
    // No: the change is dropped.
    f.prompt.answers = {false};
    f.openAnswer = f.ws.file("b.PSP");
    f.item("File", "Open")->trigger();
    EXPECT_EQ(f.prompt.questions,
              (QList<Message>{{Icon::Question, "Save the changes to " + f.ws.file("a.PSP") + "?",
                               "Simple Text Editor"}}));
    EXPECT_EQ(f.form.Editor->toPlainText(), "B\n");
    EXPECT_EQ(f.ws.read("a.PSP"), "A\r\n");
    // Yes: saved first. Nothing is asked for an unchanged text.
    QTest::keyClicks(f.form.Editor, "y");
    f.prompt.answers = {true};
    f.item("File", "New")->trigger();
    EXPECT_EQ(f.ws.read("b.PSP"), "yB\r\n");
    EXPECT_EQ(f.form.Editor->toPlainText(), "");
    EXPECT_EQ(f.form.currentFile(), "");
    f.item("File", "New")->trigger();
    EXPECT_EQ(f.prompt.questions.size(), 2);
    // A new text without a file goes through Save As; cancelled, the text stays.
    f.form.Editor->insertPlainText("новый");
    f.saveAnswer.clear();
    f.form.Pasp_Edit(f.ws.file("a.PSP"));
    EXPECT_EQ(f.form.Editor->toPlainText(), "новый");
}

TEST(Form1, CancelKeepsTheChangedTextAndTheCaptionShowsTheFileAndItsChange) {
    EditorFixture f;
    f.ws.write("a.PSP", "A\n");
    f.ws.write("b.PSP", "B\n");
    f.form.Pasp_Edit(f.ws.file("a.PSP"));
    EXPECT_EQ(f.form.windowTitle(), "a.PSP[*] - Simple Text Editor");
    EXPECT_FALSE(f.form.isWindowModified());
    QTest::keyClicks(f.form.Editor, "x");
    EXPECT_TRUE(f.form.isWindowModified());
    // Cancel: nothing is opened, saved or dropped; closing is refused the same way.
    f.prompt.choices = {std::nullopt};
    f.openAnswer = f.ws.file("b.PSP");
    f.item("File", "Open")->trigger();
    EXPECT_EQ(f.form.Editor->toPlainText(), "xA\n");
    EXPECT_EQ(f.form.currentFile(), f.ws.file("a.PSP"));
    EXPECT_EQ(f.opened, QStringList{}); // the open dialog never showed
    f.prompt.choices = {std::nullopt};
    EXPECT_FALSE(f.form.close());
    EXPECT_TRUE(f.form.isVisible());
    EXPECT_EQ(f.ws.read("a.PSP"), "A\r\n");
    EXPECT_EQ(f.prompt.questions.size(), 2);
    // Yes saves; the caption loses its mark.
    f.prompt.choices = {true};
    EXPECT_TRUE(f.form.close());
    EXPECT_EQ(f.ws.read("a.PSP"), "xA\r\n");
    EXPECT_FALSE(f.form.isWindowModified());
}

TEST(Form1, TheChosenFontAndColoursComeBackInTheNextEditor) {
    QFont chosen("DejaVu Sans Mono", 17);
    {
        EditorFixture f;
        f.form.dialogs.font = [&](QWidget*, const QFont&) -> std::optional<QFont> {
            return chosen;
        };
        f.form.dialogs.color = [](QWidget*, const QColor&) -> std::optional<QColor> {
            return QColor("#102030");
        };
        f.item("Customize", "Font")->trigger();
        f.item("Customize", "Page Color")->trigger();
    }
    RecorderPrompt prompt;
    Form1 again(prompt);
    EXPECT_EQ(again.Editor->font().pointSizeF(), 17);
    EXPECT_EQ(again.Editor->font().family(), chosen.family());
    EXPECT_EQ(again.Editor->palette().color(QPalette::Base), QColor("#102030"));
    ForgetLook();
}

TEST(Form1, NumberLinesWritesAtLeastThreeDigits) {
    EXPECT_EQ(mirel::ui::numberedLines("a\nb\n"), "001  a\n002  b\n");
    EXPECT_EQ(mirel::ui::numberedLines("a\n\nc"), "001  a\n002  \n003  c");
    EditorFixture f;
    QStringList lines;
    for (int i = 1; i <= 1200; ++i)
        lines.append("строка " + QString::number(i));
    f.form.Editor->setPlainText(lines.join('\n') + '\n');
    f.item("Process", "Number Lines")->trigger();
    const QStringList numbered = f.form.Editor->toPlainText().split('\n');
    ASSERT_EQ(numbered.size(), 1201);
    EXPECT_EQ(numbered.at(0), "001  строка 1");
    EXPECT_EQ(numbered.at(98), "099  строка 99");
    EXPECT_EQ(numbered.at(998), "999  строка 999");
    EXPECT_EQ(numbered.at(999), "1000  строка 1000");
    EXPECT_EQ(numbered.at(1199), "1200  строка 1200");
    EXPECT_EQ(numbered.at(1200), "");
}

TEST(Form1, CaseConversionKeepsTheSelection) {
    EditorFixture f;
    f.form.Editor->setPlainText("dat\nсумма графы\n");
    f.select(4, 9);
    f.item("Process", "Upper Case")->trigger();
    EXPECT_EQ(f.form.Editor->toPlainText(), "dat\nСУММА графы\n");
    EXPECT_EQ(f.selection(), "СУММА");
    f.select(0, 9);
    f.item("Process", "Lower Case")->trigger();
    EXPECT_EQ(f.selection(), QString("dat") + QChar(0x2029) + "сумма");
    f.item("Edit", "Select All")->trigger();
    f.item("Process", "Upper Case")->trigger();
    EXPECT_EQ(f.form.Editor->toPlainText(), "DAT\nСУММА ГРАФЫ\n");
}

TEST(Form1, ClipboardTakesTextOnly) {
    EditorFixture f;
    f.form.Editor->setPlainText("COD\n1101\n");
    f.select(0, 3);
    f.item("Edit", "Cut")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "COD");
    f.form.Editor->moveCursor(QTextCursor::End);
    f.item("Edit", "Paste")->trigger();
    EXPECT_EQ(f.form.Editor->toPlainText(), "\n1101\nCOD");
    f.select(1, 5);
    f.item("Edit", "Copy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "1101");

    auto* image = new QMimeData;
    image->setData("image/png", QByteArray("\x89PNG"));
    QApplication::clipboard()->setMimeData(image);
    f.item("Edit", "Paste")->trigger();
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::None, "Invalid Clipboard format.", ""}}));
    EXPECT_EQ(f.form.Editor->toPlainText(), "\n1101\nCOD");
}

TEST(Form1, FontAndColoursComeFromTheirDialogs) {
    EditorFixture f;
    QFont chosen("DejaVu Serif", 15);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    f.form.dialogs.font = [&](QWidget*, const QFont&) { return std::optional<QFont>(chosen); };
    QList<QColor> colours{Qt::darkBlue, Qt::yellow};
    f.form.dialogs.color = [&](QWidget*, const QColor&) -> std::optional<QColor> {
        if (colours.isEmpty()) return std::nullopt;
        return colours.takeFirst();
    };
    f.item("Customize", "Font")->trigger();
    const QFont font = f.form.Editor->font();
    EXPECT_EQ(font.family(), "DejaVu Serif");
    EXPECT_EQ(font.pointSize(), 15);
    EXPECT_TRUE(font.bold() && font.italic());
    EXPECT_FALSE(font.underline());
    f.item("Customize", "Page Color")->trigger();
    f.item("Customize", "Text Color")->trigger();
    f.item("Customize", "Text Color")->trigger(); // cancelled
    EXPECT_EQ(f.form.Editor->palette().color(QPalette::Base), QColor(Qt::darkBlue));
    EXPECT_EQ(f.form.Editor->palette().color(QPalette::Text), QColor(Qt::yellow));
}

// --- the search dialog --------------------------------------------------------------------

namespace {

struct SearchFixture : EditorFixture {
    Form2* dialog = nullptr;
    SearchFixture(const QString& text, const QString& what, const QString& with = QString()) {
        form.Editor->setPlainText(text);
        item("Edit", "Find")->trigger();
        dialog = form.searchDialog();
        dialog->Text1->setText(what);
        dialog->Text2->setText(with);
    }
    void click(QPushButton* button) const { QTest::mouseClick(button, Qt::LeftButton); }
    int selectionStart() const { return form.Editor->textCursor().selectionStart(); }
};

} // namespace

TEST(Form2, StaysAboveTheEditorWithItsFieldsAndButtons) {
    SearchFixture f("", "");
    ASSERT_NE(f.dialog, nullptr);
    EXPECT_TRUE(f.dialog->isVisible());
    EXPECT_EQ(f.dialog->windowTitle(), "Search & Replace");
    EXPECT_TRUE(f.dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.dialog->Check1->text(), "Case sensitive");
    QStringList captions;
    for (QPushButton* b : {f.dialog->cmdFind, f.dialog->cmdFindAgain, f.dialog->cmdReplace,
                           f.dialog->cmdReplaceAll, f.dialog->cmdClose})
        captions.append(b->text());
    EXPECT_EQ(captions, (QStringList{"Find", "Find Again", "Replace", "Replace All", "CLOSE"}));
    f.click(f.dialog->cmdClose);
    EXPECT_FALSE(f.dialog->isVisible());
}

TEST(Form2, SearchGoesOnAfterTheLastMatchAndStartsAgainAfterAFailure) {
    SearchFixture f("Dat\nDAT 1\nsum\ndat", "dat");
    f.click(f.dialog->cmdFind);
    EXPECT_EQ(f.selectionStart(), 0);
    EXPECT_EQ(f.selection(), "Dat");
    f.click(f.dialog->cmdFindAgain);
    EXPECT_EQ(f.selectionStart(), 4);
    f.click(f.dialog->cmdFind);
    EXPECT_EQ(f.selectionStart(), 14);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    f.click(f.dialog->cmdFindAgain);
    EXPECT_EQ(f.prompt.texts(), QStringList{"String not found"});
    EXPECT_FALSE(f.dialog->cmdReplace->isEnabled());
    EXPECT_FALSE(f.dialog->cmdReplaceAll->isEnabled());
    // After the failure the search starts at the beginning again.
    f.click(f.dialog->cmdFindAgain);
    EXPECT_EQ(f.selectionStart(), 0);
    EXPECT_TRUE(f.dialog->cmdReplace->isEnabled());

    // Case sensitive: only the exact spelling.
    f.dialog->Check1->setChecked(true);
    f.click(f.dialog->cmdFindAgain);
    EXPECT_EQ(f.selectionStart(), 14);
    // Another text to find is a new search.
    f.dialog->Text1->clear();
    QTest::keyClicks(f.dialog->Text1, "sum");
    f.click(f.dialog->cmdFindAgain);
    EXPECT_EQ(f.selectionStart(), 10);
    EXPECT_EQ(f.prompt.messages.size(), 1);
}

TEST(Form2, ReplaceTakesTheMatchAndFindsTheNext) {
    SearchFixture f("V1 + v1 + V11", "v1", "V2");
    // Without a found match nothing is replaced: the first match is searched.
    f.select(3, 4);
    f.click(f.dialog->cmdReplace);
    EXPECT_EQ(f.form.Editor->toPlainText(), "V1 + v1 + V11");
    EXPECT_EQ(f.selectionStart(), 0);
    f.click(f.dialog->cmdReplace);
    EXPECT_EQ(f.form.Editor->toPlainText(), "V2 + v1 + V11");
    EXPECT_EQ(f.selectionStart(), 5);
    f.click(f.dialog->cmdReplace);
    f.click(f.dialog->cmdReplace);
    EXPECT_EQ(f.form.Editor->toPlainText(), "V2 + V2 + V21");
    EXPECT_EQ(f.prompt.texts(), QStringList{"String not found"});
}

TEST(Form2, ReplaceAllReplacesEveryMatchOnce) {
    SearchFixture f("a-A-a", "a", "aa");
    f.click(f.dialog->cmdFind);
    f.click(f.dialog->cmdFind); // the second match: Replace All still takes them all
    EXPECT_EQ(f.dialog->replaceAll(), 3);
    EXPECT_EQ(f.form.Editor->toPlainText(), "aa-aa-aa");
    EXPECT_EQ(f.prompt.texts(), QStringList{"Done replacing"});
    EXPECT_FALSE(f.dialog->cmdReplace->isEnabled());
    EXPECT_FALSE(f.dialog->cmdReplaceAll->isEnabled());
    // One step to undo.
    f.form.Editor->undo();
    EXPECT_EQ(f.form.Editor->toPlainText(), "a-A-a");
}
