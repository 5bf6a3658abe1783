#pragma once

#include <optional>
#include <QList>
#include <QString>

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
    // Yes/No/Cancel question: true for Yes, false for No, nullopt for Cancel. Prompts that
    // cannot offer Cancel ask Yes/No.
    virtual std::optional<bool> askYesNoCancel(const QString& text,
                                               const QString& title = QString()) {
        return askYesNo(text, title);
    }
    // Input box proposing a text; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString& text, const QString& title,
                                            const QString& proposal) = 0;

    // Progress of a long run: start with the number of steps, then values 0..maximum, then end.
    virtual void progressStart(int maximum) { (void)maximum; }
    virtual void progressValue(int value) { (void)value; }
    virtual void progressEnd() {}
    // A short status text beside the progress bar (empty to clear).
    virtual void status(const QString& text) { (void)text; }
    // True once the person has asked to stop the long run in progress (Escape or "Прервать"
    // in the window). Long runs ask through Progress, not directly: the window handles its
    // events here, so it is called a few times a second at most.
    virtual bool stopRequested() { return false; }
};

// The message of a long run that the person stopped; nothing half-done has been written.
inline QString stoppedText() {
    return QStringLiteral("Выполнение прервано пользователем !!!");
}

// One long run as domain code reports it: progressStart at construction, progressEnd at
// destruction. step(value) passes the value on at most every 100 ms (and always the last one,
// value == maximum), and then asks the prompt whether the person wants to stop; it returns
// false from then on. A run that sees false stops, writes nothing half-done and says
// stoppedText() (or lets its caller say it).
class Progress {
public:
    Progress(Prompt& prompt, int maximum);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool step(int value);
    bool stopped() const { return m_stopped; }
    // Ends the run early (progressEnd now instead of at destruction).
    void finish();

private:
    Prompt& m_prompt;
    int m_maximum = 0;
    qint64 m_lastReport = -1; // ms on a monotonic clock
    bool m_stopped = false;
    bool m_finished = false;
};

// Shorthands for the common message kinds.
inline void showError(Prompt& p, const QString& text, const QString& title = QString()) {
    p.message(text, Icon::Error, title);
}
inline void showInfo(Prompt& p, const QString& text, const QString& title = QString()) {
    p.message(text, Icon::Information, title);
}

// What a piece of work done ahead of its turn (on another thread) says: its messages and
// status texts are kept and told in their order when its turn comes. It asks no question:
// work done ahead has none to ask, and takes No and Cancel.
class RecordingPrompt : public Prompt {
public:
    void message(const QString& text, Icon icon, const QString& title) override {
        m_said.append({false, text, icon, title});
    }
    bool askYesNo(const QString&, const QString&) override { return false; }
    bool askOkCancel(const QString&, const QString&) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void status(const QString& text) override { m_said.append({true, text, {}, {}}); }

    void passOn(Prompt& to) {
        for (const Said& s : m_said)
            if (s.status)
                to.status(s.text);
            else
                to.message(s.text, s.icon, s.title);
        m_said.clear();
    }

private:
    struct Said {
        bool status = false;
        QString text;
        Icon icon = Icon::None;
        QString title;
    };
    QList<Said> m_said;
};

// Opens a written HTML page (or other document) for the person to see. False when no program
// could show it; the caller then says where the page was written (or shows it otherwise).
class Browser {
public:
    virtual ~Browser() = default;
    virtual bool open(const QString& path) = 0;
};

} // namespace mirel::platform
