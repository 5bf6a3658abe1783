#pragma once

#include <functional>
#include <optional>
#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QPlainTextEdit;

namespace mirel::platform {
class Prompt;
}

namespace mirel::ui {

class Form2;

// Every line of the text with its number in front, written with at least three digits, and
// two blanks. A line end at the very end of the text starts no line of its own.
QString numberedLines(const QString& text);

// The dialogs the editor asks; the defaults are Qt's standard dialogs, tests replace them.
// An empty path or nullopt means the person cancelled.
// The file dialogs get the current file to start from.
struct EditorDialogs {
    std::function<QString(QWidget* parent, const QString& current)> openFile;
    std::function<QString(QWidget* parent, const QString& current)> saveFile;
    std::function<std::optional<QFont>(QWidget* parent, const QFont& current)> font;
    std::function<std::optional<QColor>(QWidget* parent, const QColor& current)> color;
};
EditorDialogs standardEditorDialogs();

// The query text editor, "Simple Text Editor": one text file at a time in the text area
// Editor, read and written whole as code page 1251 text with CR LF line ends. It knows
// nothing of the query language. Before a changed text is dropped (New, Open, another query,
// closing) the person is asked whether to save it (Yes, No, or Cancel to keep editing). The
// caption names the file and shows "*" while the text has unsaved changes.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(platform::Prompt& prompt, QWidget* parent = nullptr);
    ~Form1() override;

    // Reads the file whole into the text area and makes it the current file. False after
    // "Unkown error while opening file " and the path (the current file is then forgotten).
    bool Pasp_Edit(const QString& path);

    QString currentFile() const { return m_file; }
    // The current file, or the folder it is in, was moved: the editor keeps the new path.
    void fileMoved(const QString& from, const QString& to);
    QPlainTextEdit* Editor = nullptr;
    EditorDialogs dialogs;

    // The menu items by their captions.
    QAction* item(const QString& menu, const QString& caption) const;
    // The search dialog, made on the first "Find".
    Form2* searchDialog() const;

    // "File"
    void fileNew();
    void fileOpen();
    bool fileSave();
    bool fileSaveAs();
    // "Edit"
    void copy();
    void cut();
    void paste();
    void selectAll();
    void openSearch();
    // "Process"
    void upperCase();
    void lowerCase();
    void numberLines();
    // "Customize"
    void chooseFont();
    void pageColor();
    void textColor();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    bool writeTo(QString path); // by value: the current file may be passed
    bool readFrom(QString path);
    // False when a changed text should stay (its saving failed or was cancelled).
    bool offerToSave();
    void setCurrentFile(const QString& path);
    void updateTitle();
    // The font and colours chosen in "Customize", kept for the next session.
    void restoreLook();
    void keepLook();
    void convertSelection(bool upper);

    platform::Prompt& m_prompt;
    QString m_file;
    QLabel* m_fileLabel = nullptr; // the current file, in the status bar
    QPointer<Form2> m_search;
};

} // namespace mirel::ui
