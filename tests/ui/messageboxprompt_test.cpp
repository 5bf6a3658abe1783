#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "ui/messageboxprompt.h"

using mirel::platform::Icon;
using mirel::ui::MessageBoxPrompt;

namespace {

struct Shown {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QList<QMessageBox::StandardButton> buttons;
};

// Looks at the next message box when it is open and answers it with the button.
void answerNextBox(Shown& shown, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [&shown, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown.title = box->windowTitle();
        shown.text = box->text();
        shown.icon = box->icon();
        shown.format = box->textFormat();
        for (QAbstractButton* b : box->buttons())
            shown.buttons.append(box->standardButton(b));
        box->button(answer)->click();
    });
}

} // namespace

TEST(MessageBoxPrompt, ShowsTheSystemsTextIconAndTitle) {
    MessageBoxPrompt prompt;
    Shown shown;
    answerNextBox(shown, QMessageBox::Ok);
    prompt.message("C:\\DAT\r\nERROR N=76\r\n<b>Путь</b> не найден", Icon::Error, "");
    EXPECT_EQ(shown.title, "Мирель"); // no title: the program's caption
    EXPECT_EQ(shown.text, "C:\\DAT\nERROR N=76\n<b>Путь</b> не найден");
    EXPECT_EQ(shown.icon, QMessageBox::Critical);
    EXPECT_EQ(shown.format, Qt::PlainText);
    EXPECT_EQ(shown.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});

    shown = {};
    answerNextBox(shown, QMessageBox::Ok);
    prompt.message("Нет регионов непредставивших отчеты !!!", Icon::Information, "ВНИМАНИЕ !!!");
    EXPECT_EQ(shown.title, "ВНИМАНИЕ !!!");
    EXPECT_EQ(shown.icon, QMessageBox::Information);
}

TEST(MessageBoxPrompt, QuestionsReturnTheAnswer) {
    MessageBoxPrompt prompt;
    Shown shown;
    answerNextBox(shown, QMessageBox::No);
    EXPECT_FALSE(prompt.askYesNo("Удалить ?", "Раздел"));
    EXPECT_EQ(shown.title, "Раздел");
    EXPECT_EQ(shown.icon, QMessageBox::Question);
    answerNextBox(shown, QMessageBox::Yes);
    EXPECT_TRUE(prompt.askYesNo("Удалить ?"));
    answerNextBox(shown, QMessageBox::Cancel);
    EXPECT_FALSE(prompt.askOkCancel("Продолжить ?"));
    answerNextBox(shown, QMessageBox::Ok);
    EXPECT_TRUE(prompt.askOkCancel("Продолжить ?"));
}

TEST(MessageBoxPrompt, InputBoxProposesAndCanBeCancelled) {
    MessageBoxPrompt prompt;
    QString proposal;
    const auto answer = [&proposal](bool accept, const QString& typed) {
        QTimer::singleShot(0, [&proposal, accept, typed] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            proposal = dialog->textValue();
            if (!typed.isEmpty()) dialog->setTextValue(typed);
            accept ? dialog->accept() : dialog->reject();
        });
    };
    answer(true, "Новый запрос");
    EXPECT_EQ(prompt.inputBox("Имя запроса", "Добавить", "Запрос"), "Новый запрос");
    EXPECT_EQ(proposal, "Запрос");
    answer(false, "");
    EXPECT_EQ(prompt.inputBox("Имя запроса", "Добавить", "Запрос"), std::nullopt);
}
