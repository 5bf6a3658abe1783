#pragma once

#include <QString>
#include <optional>

namespace mirel::platform {

// Icon of a message, as the message boxes of the system show them.
enum class Icon { None, Information, Warning, Error, Question };

// Everything the domain code tells or asks the person goes through this interface: the
// windows implement it with message and input boxes, the commands with stderr lines and
// flags, the tests with a recorder. Long runs report progress through it too.
// Implementations repeat the default arguments of message and the questions, so that calls
// through the derived type read the same.
class Prompt {
public:
    virtual ~Prompt() = default;

    virtual void message(const QString& text, Icon icon = Icon::None,
                         const QString& title = QString()) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title = QString()) = 0;
    // OK/Cancel question; true for OK.
    virtual bool askOkCancel(const QString& text, const QString& title = QString()) = 0;
    // Input box proposing a text; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString& text, const QString& title,
                                            const QString& proposal) = 0;

    // Progress of a long run: start with the number of steps, then values 0..maximum, then end.
    virtual void progressStart(int maximum) { (void)maximum; }
    virtual void progressValue(int value) { (void)value; }
    virtual void progressEnd() {}
    // A short status text beside the progress bar (empty to clear).
    virtual void status(const QString& text) { (void)text; }
};

// Shorthands for the common message kinds.
inline void showError(Prompt& p, const QString& text, const QString& title = QString())
{
    p.message(text, Icon::Error, title);
}
inline void showInfo(Prompt& p, const QString& text, const QString& title = QString())
{
    p.message(text, Icon::Information, title);
}

// Opens a written HTML page (or other document) for the person to see.
class Browser {
public:
    virtual ~Browser() = default;
    virtual void open(const QString& path) = 0;
};

} // namespace mirel::platform
