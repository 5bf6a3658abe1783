#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include <QStringList>

#include "platform/prompt.h"

namespace mirel::test {

// One message as a message box would have shown it.
struct Message {
    platform::Icon icon = platform::Icon::None;
    QString text;
    QString title;
    bool operator==(const Message&) const = default;
};

// Prompt that keeps every message, question and progress call in order, and answers questions
// from queues (default answers when a queue is empty).
class RecorderPrompt : public platform::Prompt {
public:
    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    bool askOkCancel(const QString& text, const QString& title = QString()) override;
    // Answered from choices while it holds any, else as askYesNo.
    std::optional<bool> askYesNoCancel(const QString& text,
                                       const QString& title = QString()) override;
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override;
    void progressStart(int maximum) override;
    void progressValue(int value) override;
    void progressEnd() override;
    void status(const QString& text) override;
    // Answers "stop" from the stopAfter-th question on (never when negative).
    bool stopRequested() override;

    QList<Message> messages;  // messages shown
    QList<Message> questions; // questions and input boxes asked (icon Question)
    QStringList statuses;
    int progressMaximum = -1;
    QList<int> progressValues;
    int progressEnds = 0;
    int stopAfter = -1; // the person asks to stop at this stop question (1 = the first)
    int stopQuestions = 0;

    std::deque<bool> answers;                // answers to yes/no and OK/cancel
    std::deque<std::optional<bool>> choices; // answers to yes/no/cancel (nullopt: Cancel)
    bool defaultAnswer = true;
    std::deque<std::optional<QString>> inputs; // answers to input boxes
    // Called with each message as it is shown, to look at the windows under it.
    std::function<void(const Message&)> onMessage;

    // Texts only, for compact assertions.
    QStringList texts() const;
    void clear();
};

// Prints messages readably when an assertion fails.
void PrintTo(const Message& m, std::ostream* os);

} // namespace mirel::test
