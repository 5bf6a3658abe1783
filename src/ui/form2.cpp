#include "ui/form2.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "platform/prompt.h"

namespace mirel::ui {
namespace {

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

Form2::Form2(QPlainTextEdit* editor, platform::Prompt& prompt, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_editor(editor)
    , m_prompt(prompt) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Search & Replace"));
    setModal(false);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Check1 = new QCheckBox(QStringLiteral("Case sensitive"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    auto* findLabel = new QLabel(QStringLiteral("Find What"), this);
    findLabel->setBuddy(Text1);
    auto* replaceLabel = new QLabel(QStringLiteral("Replace with"), this);
    replaceLabel->setBuddy(Text2);

    cmdFind = button(QStringLiteral("Find"), "cmdFind", this);
    cmdFind->setDefault(true);
    cmdFindAgain = button(QStringLiteral("Find Again"), "cmdFindAgain", this);
    cmdReplace = button(QStringLiteral("Replace"), "cmdReplace", this);
    cmdReplaceAll = button(QStringLiteral("Replace All"), "cmdReplaceAll", this);
    cmdClose = button(QStringLiteral("CLOSE"), "cmdClose", this);

    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(Text1, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(Text2, 1, 1);
    fields->addWidget(Check1, 2, 1);
    fields->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QLatin1Char('M')) * 22);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdFind, cmdFindAgain, cmdReplace, cmdReplaceAll, cmdClose})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdFind, &QPushButton::clicked, this, [this] { find(); });
    connect(cmdFindAgain, &QPushButton::clicked, this, [this] { findAgain(); });
    connect(cmdReplace, &QPushButton::clicked, this, [this] { replace(); });
    connect(cmdReplaceAll, &QPushButton::clicked, this, [this] { replaceAll(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    // Another text to find is a new search.
    connect(Text1, &QLineEdit::textEdited, this, [this] { m_last = -1; });
}

Qt::CaseSensitivity Form2::sensitivity() const {
    return Check1->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

void Form2::setReplaceEnabled(bool enabled) {
    cmdReplace->setEnabled(enabled);
    cmdReplaceAll->setEnabled(enabled);
}

bool Form2::find() {
    return search();
}

bool Form2::findAgain() {
    return search();
}

// One search from just after the last match (or the beginning); selects the match.
bool Form2::search() {
    const QString what = Text1->text();
    const QString text = m_editor->toPlainText();
    const int from = m_last < 0 ? 0 : m_next;
    const qsizetype at = what.isEmpty() ? -1 : text.indexOf(what, from, sensitivity());
    if (at < 0) {
        m_last = -1;
        m_prompt.message(QStringLiteral("String not found"));
        setReplaceEnabled(false);
        return false;
    }
    m_last = int(at);
    m_next = int(at + what.size());
    QTextCursor cursor = m_editor->textCursor();
    cursor.setPosition(m_last);
    cursor.setPosition(m_next, QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
    m_editor->ensureCursorVisible();
    setReplaceEnabled(true);
    return true;
}

bool Form2::selectionIsMatch() const {
    const QTextCursor cursor = m_editor->textCursor();
    return m_last >= 0 && cursor.selectionStart() == m_last &&
           cursor.selectedText().compare(Text1->text(), sensitivity()) == 0 &&
           !Text1->text().isEmpty();
}

// Only the match found last is replaced: a selection the person made is left alone.
void Form2::replace() {
    if (selectionIsMatch()) {
        QTextCursor cursor = m_editor->textCursor();
        cursor.insertText(Text2->text());
        m_editor->setTextCursor(cursor);
        m_next = m_last + int(Text2->text().size());
    }
    search();
}

// All matches from the beginning of the text, each search going on after the replacement,
// so a replacement that contains the text to find is not replaced again. One undo step.
int Form2::replaceAll() {
    const QString what = Text1->text();
    const QString with = Text2->text();
    QList<qsizetype> matches;
    if (!what.isEmpty()) {
        const QString text = m_editor->toPlainText();
        for (qsizetype at = text.indexOf(what, 0, sensitivity()); at >= 0;
             at = text.indexOf(what, at + what.size(), sensitivity()))
            matches.append(at);
    }
    if (!matches.isEmpty()) {
        // From the end, so the positions before each replacement stay valid.
        QTextCursor cursor(m_editor->document());
        cursor.beginEditBlock();
        for (auto it = matches.crbegin(); it != matches.crend(); ++it) {
            cursor.setPosition(int(*it));
            cursor.setPosition(int(*it + what.size()), QTextCursor::KeepAnchor);
            cursor.insertText(with);
        }
        cursor.endEditBlock();
    }
    const int count = int(matches.size());
    m_last = -1;
    m_prompt.message(QStringLiteral("Done replacing"));
    setReplaceEnabled(false);
    return count;
}

} // namespace mirel::ui
