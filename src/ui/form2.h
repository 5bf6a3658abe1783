#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mirel::platform {
class Prompt;
}

namespace mirel::ui {

// The search and replace dialog of the query text editor, "Search & Replace". It stays above
// the editor. A search starts just after the last match; the first search, and the first
// after a failed one (or after the text to find was changed), start at the beginning of the
// text. A match is selected in the editor; when nothing is found "String not found" is shown
// and the replace buttons are disabled until a search succeeds again.
class Form2 : public QDialog {
    Q_OBJECT
public:
    Form2(QPlainTextEdit* editor, platform::Prompt& prompt, QWidget* parent = nullptr);

    QLineEdit* Text1 = nullptr;  // "Find What"
    QLineEdit* Text2 = nullptr;  // "Replace with"
    QCheckBox* Check1 = nullptr; // "Case sensitive"
    QPushButton* cmdFind = nullptr;
    QPushButton* cmdFindAgain = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdClose = nullptr;

    // The buttons' actions. find and findAgain return true when a match was selected.
    bool find();
    bool findAgain();
    // Replaces the selected match, then searches the next one.
    void replace();
    // Replaces every match of the text, then "Done replacing". The number replaced.
    int replaceAll();

    // Start of the last match in the editor's text, -1 when the next search starts at the
    // beginning.
    int lastMatch() const { return m_last; }

private:
    bool search();
    bool selectionIsMatch() const;
    Qt::CaseSensitivity sensitivity() const;
    void setReplaceEnabled(bool enabled);

    QPlainTextEdit* m_editor;
    platform::Prompt& m_prompt;
    int m_last = -1;
    int m_next = 0;
};

} // namespace mirel::ui
