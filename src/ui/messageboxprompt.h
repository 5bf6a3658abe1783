#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/prompt.h"

namespace mirel::ui {

// The program's caption: the title of message boxes that carry no title of their own.
inline const QString MirelCaption = QStringLiteral("Мирель");

// The prompt of the windows: modal message boxes with the system's icon, text and title (the
// program's caption when the title is empty), yes/no and OK/cancel questions, input boxes.
// Progress is shown by the main window (WindowPrompt), not here.
class MessageBoxPrompt : public platform::Prompt {
public:
    // Boxes belong to the window the person is working in (the editor, a dialog), else to
    // this window once it is set (before that: centred on the screen).
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    bool askOkCancel(const QString& text, const QString& title = QString()) override;
    std::optional<bool> askYesNoCancel(const QString& text,
                                       const QString& title = QString()) override;
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override;

private:
    QWidget* boxParent() const;
    QPointer<QWidget> m_parent;
};

// Opens a written page (or other document) with the desktop's program for it, through
// xdg-open (or the program given), and tells from its exit status whether that worked. A
// program still running after a few seconds is taken to show the page (xdg-open may run the
// browser itself until it is closed); it is left to run.
class DesktopBrowser : public platform::Browser {
public:
    explicit DesktopBrowser(QString program = QStringLiteral("xdg-open"), int waitMs = 3000)
        : m_program(std::move(program))
        , m_waitMs(waitMs) {}
    bool open(const QString& path) override;

private:
    QString m_program;
    int m_waitMs;
};

// The message of a page that no program showed (the callers in the windows say it).
QString pageNotShownText(const QString& path);

// Texts of the system end lines with CR LF; a message box wants LF.
QString boxText(const QString& text);

} // namespace mirel::ui
