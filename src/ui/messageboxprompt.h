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
    // Boxes are centred on this window once it is set (before that: on the screen).
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    bool askOkCancel(const QString& text, const QString& title = QString()) override;
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override;

private:
    QPointer<QWidget> m_parent;
};

// Opens a written page (or other document) with the desktop's program for it.
class DesktopBrowser : public platform::Browser {
public:
    bool open(const QString& path) override;
};

// Texts of the system end lines with CR LF; a message box wants LF.
QString boxText(const QString& text);

} // namespace mirel::ui
