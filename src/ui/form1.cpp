#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextCursor>

#include "core/files.h"
#include "core/text.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "ui/form2.h"
#include "ui/settings.h"

namespace mirel::ui {
namespace {

const QString Caption = QStringLiteral("Simple Text Editor");

QString runFileDialog(QWidget* parent, const QString& current, QFileDialog::AcceptMode mode,
                      const QString& filters, const QString& suffix) {
    QFileDialog dialog(parent, QString(), platform::parentOf(current), filters);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString numberedLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    const bool finalEnd = lines.size() > 1 && lines.constLast().isEmpty();
    if (finalEnd) lines.removeLast();
    for (int i = 0; i < lines.size(); ++i)
        lines[i] = QStringLiteral("%1  ").arg(i + 1, 3, 10, QLatin1Char('0')) + lines.at(i);
    return lines.join(QLatin1Char('\n')) + (finalEnd ? QStringLiteral("\n") : QString());
}

EditorDialogs standardEditorDialogs() {
    EditorDialogs d;
    d.openFile = [](QWidget* parent, const QString& current) {
        return runFileDialog(parent, current, QFileDialog::AcceptOpen,
                             QStringLiteral("Запросы (*.PSP);;All files (*)"),
                             QStringLiteral("PSP"));
    };
    d.saveFile = [](QWidget* parent, const QString& current) {
        return runFileDialog(parent, current, QFileDialog::AcceptSave,
                             QStringLiteral("Text files (*.TXT);;All files (*)"),
                             QStringLiteral("TXT"));
    };
    d.font = [](QWidget* parent, const QFont& current) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, current, parent);
        if (!ok) return std::nullopt;
        return font;
    };
    d.color = [](QWidget* parent, const QColor& current) -> std::optional<QColor> {
        const QColor color = QColorDialog::getColor(current, parent);
        if (!color.isValid()) return std::nullopt;
        return color;
    };
    return d;
}

Form1::Form1(platform::Prompt& prompt, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , dialogs(standardEditorDialogs())
    , m_prompt(prompt) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Caption);
    Editor = new QPlainTextEdit(this);
    Editor->setObjectName(QStringLiteral("Editor"));
    Editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Query lines line up in columns: a fixed-pitch font reads them best.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(std::max(font.pointSizeF(), QApplication::font().pointSizeF()));
    Editor->setFont(font);
    setCentralWidget(Editor);
    createMenus();
    m_fileLabel = new QLabel(this);
    m_fileLabel->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(m_fileLabel, 1);
    statusBar()->setSizeGripEnabled(true);
    restoreLook();
    connect(Editor->document(), &QTextDocument::modificationChanged, this,
            &QWidget::setWindowModified);
    updateTitle();
    // Room for a query line of 80 characters and a screenful of lines, within the screen.
    const QFontMetrics metrics(Editor->font());
    QSize size(metrics.horizontalAdvance(QLatin1Char('M')) * 84, metrics.height() * 30);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
}

// The caption names the file being edited, with "*" while it has unsaved changes.
void Form1::updateTitle() {
    const QString name = m_file.isEmpty() ? QString() : platform::nameOf(m_file);
    setWindowTitle(name.isEmpty() ? Caption + QStringLiteral("[*]")
                                  : name + QStringLiteral("[*] - ") + Caption);
}

void Form1::restoreLook() {
    const auto settings = userSettings();
    settings->beginGroup(QStringLiteral("editor"));
    QFont font = Editor->font();
    if (settings->contains(QStringLiteral("font")) &&
        font.fromString(settings->value(QStringLiteral("font")).toString()))
        Editor->setFont(font);
    QPalette palette = Editor->palette();
    const QColor page(settings->value(QStringLiteral("page")).toString());
    const QColor text(settings->value(QStringLiteral("text")).toString());
    if (page.isValid()) palette.setColor(QPalette::Base, page);
    if (text.isValid()) palette.setColor(QPalette::Text, text);
    Editor->setPalette(palette);
}

void Form1::keepLook() {
    const auto settings = userSettings();
    settings->beginGroup(QStringLiteral("editor"));
    settings->setValue(QStringLiteral("font"), Editor->font().toString());
    settings->setValue(QStringLiteral("page"),
                       Editor->palette().color(QPalette::Base).name(QColor::HexRgb));
    settings->setValue(QStringLiteral("text"),
                       Editor->palette().color(QPalette::Text).name(QColor::HexRgb));
}

Form1::~Form1() = default;

void Form1::createMenus() {
    const auto add = [this](QMenu* menu, const QString& caption, void (Form1::*slot)(),
                            QKeySequence keys = QKeySequence()) {
        QAction* a = menu->addAction(caption);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    add(file, QStringLiteral("New"), &Form1::fileNew, QKeySequence::New);
    add(file, QStringLiteral("Open"), &Form1::fileOpen, QKeySequence::Open);
    QAction* save = file->addAction(QStringLiteral("Save"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { fileSave(); });
    QAction* saveAs = file->addAction(QStringLiteral("Save As"));
    connect(saveAs, &QAction::triggered, this, [this] { fileSaveAs(); });
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    add(edit, QStringLiteral("Copy"), &Form1::copy, QKeySequence::Copy);
    add(edit, QStringLiteral("Cut"), &Form1::cut, QKeySequence::Cut);
    add(edit, QStringLiteral("Paste"), &Form1::paste, QKeySequence::Paste);
    add(edit, QStringLiteral("Select All"), &Form1::selectAll, QKeySequence::SelectAll);
    edit->addSeparator();
    add(edit, QStringLiteral("Find"), &Form1::openSearch, QKeySequence::Find);

    QMenu* process = menuBar()->addMenu(QStringLiteral("Process"));
    add(process, QStringLiteral("Upper Case"), &Form1::upperCase);
    add(process, QStringLiteral("Lower Case"), &Form1::lowerCase);
    add(process, QStringLiteral("Number Lines"), &Form1::numberLines);

    QMenu* customize = menuBar()->addMenu(QStringLiteral("Customize"));
    add(customize, QStringLiteral("Font"), &Form1::chooseFont);
    add(customize, QStringLiteral("Page Color"), &Form1::pageColor);
    add(customize, QStringLiteral("Text Color"), &Form1::textColor);
}

QAction* Form1::item(const QString& menu, const QString& caption) const {
    for (QAction* bar : menuBar()->actions()) {
        if (bar->text() != menu || !bar->menu()) continue;
        for (QAction* a : bar->menu()->actions())
            if (a->text() == caption) return a;
    }
    return nullptr;
}

void Form1::setCurrentFile(const QString& path) {
    m_file = path;
    m_fileLabel->setText(path);
    updateTitle();
}

void Form1::fileMoved(const QString& from, const QString& to) {
    if (m_file == from)
        setCurrentFile(to);
    else if (m_file.startsWith(from + QLatin1Char('/')))
        setCurrentFile(to + m_file.mid(from.size()));
}

bool Form1::readFrom(QString path) {
    const auto bytes = platform::readFileBytes(path);
    if (!bytes) {
        setCurrentFile(QString());
        platform::showError(m_prompt, QStringLiteral("Unkown error while opening file ") + path);
        return false;
    }
    QString text = platform::decode1251(*bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Editor->setPlainText(text);
    Editor->document()->setModified(false);
    setCurrentFile(path);
    return true;
}

bool Form1::writeTo(QString path) {
    QString text = Editor->toPlainText();
    text.replace(QLatin1Char('\n'), core::CRLF);
    if (!core::writeTextFile(path, text)) {
        setCurrentFile(QString());
        platform::showError(m_prompt, QStringLiteral("Unkown error while saving file ") + path);
        return false;
    }
    Editor->document()->setModified(false);
    setCurrentFile(path);
    return true;
}

bool Form1::offerToSave() {
    if (!Editor->document()->isModified()) return true;
    const QString name = m_file.isEmpty() ? QStringLiteral("the new text") : m_file;
    const std::optional<bool> save = m_prompt.askYesNoCancel(
        QStringLiteral("Save the changes to ") + name + QStringLiteral("?"), Caption);
    if (!save) return false; // Cancel: the text stays
    if (!*save) return true;
    return fileSave();
}

bool Form1::Pasp_Edit(const QString& path) {
    // The text being edited stays as it is when its own query is opened again.
    if (path == m_file && Editor->document()->isModified()) return true;
    if (!offerToSave()) return false;
    return readFrom(path);
}

void Form1::fileNew() {
    if (!offerToSave()) return;
    Editor->clear();
    Editor->document()->setModified(false);
    setCurrentFile(QString());
}

void Form1::fileOpen() {
    if (!offerToSave()) return;
    const QString path = dialogs.openFile(this, m_file);
    if (path.isEmpty()) return;
    readFrom(path);
}

bool Form1::fileSave() {
    if (m_file.isEmpty()) return fileSaveAs();
    return writeTo(m_file);
}

bool Form1::fileSaveAs() {
    const QString path = dialogs.saveFile(this, m_file);
    if (path.isEmpty()) return false;
    return writeTo(path);
}

void Form1::copy() {
    Editor->copy();
}

void Form1::cut() {
    Editor->cut();
}

void Form1::paste() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) {
        m_prompt.message(QStringLiteral("Invalid Clipboard format."));
        return;
    }
    Editor->paste();
}

void Form1::selectAll() {
    Editor->selectAll();
}

Form2* Form1::searchDialog() const {
    return m_search.data();
}

void Form1::openSearch() {
    if (!m_search) m_search = new Form2(Editor, m_prompt, this);
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

void Form1::convertSelection(bool upper) {
    QTextCursor cursor = Editor->textCursor();
    if (!cursor.hasSelection()) return;
    const int start = cursor.selectionStart();
    const QString text = cursor.selectedText();
    const QString converted = upper ? text.toUpper() : text.toLower();
    cursor.insertText(converted);
    cursor.setPosition(start);
    cursor.setPosition(start + int(converted.size()), QTextCursor::KeepAnchor);
    Editor->setTextCursor(cursor);
}

void Form1::upperCase() {
    convertSelection(true);
}

void Form1::lowerCase() {
    convertSelection(false);
}

void Form1::numberLines() {
    QTextCursor cursor(Editor->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(numberedLines(Editor->toPlainText()));
}

void Form1::chooseFont() {
    const auto chosen = dialogs.font(this, Editor->font());
    if (!chosen) return;
    QFont font = Editor->font();
    font.setFamily(chosen->family());
    font.setPointSizeF(chosen->pointSizeF());
    font.setBold(chosen->bold());
    font.setItalic(chosen->italic());
    Editor->setFont(font);
    keepLook();
}

void Form1::pageColor() {
    const auto chosen = dialogs.color(this, Editor->palette().color(QPalette::Base));
    if (!chosen) return;
    QPalette palette = Editor->palette();
    palette.setColor(QPalette::Base, *chosen);
    Editor->setPalette(palette);
    keepLook();
}

void Form1::textColor() {
    const auto chosen = dialogs.color(this, Editor->palette().color(QPalette::Text));
    if (!chosen) return;
    QPalette palette = Editor->palette();
    palette.setColor(QPalette::Text, *chosen);
    Editor->setPalette(palette);
    keepLook();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!offerToSave()) {
        event->ignore();
        return;
    }
    if (m_search) m_search->close();
    event->accept();
}

} // namespace mirel::ui
