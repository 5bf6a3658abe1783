#include "recorderprompt.h"

#include <ostream>

namespace mirel::test {

void RecorderPrompt::message(const QString& text, platform::Icon icon, const QString& title) {
    messages.append(Message{icon, text, title});
    if (onMessage) onMessage(messages.last());
}

bool RecorderPrompt::askYesNo(const QString& text, const QString& title) {
    questions.append(Message{platform::Icon::Question, text, title});
    if (answers.empty()) return defaultAnswer;
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

bool RecorderPrompt::askOkCancel(const QString& text, const QString& title) {
    return askYesNo(text, title);
}

std::optional<QString> RecorderPrompt::inputBox(const QString& text, const QString& title,
                                                const QString& proposal) {
    questions.append(Message{platform::Icon::Question, text, title});
    if (inputs.empty()) return proposal;
    // A cancelled box (nullopt) or the text typed.
    const bool typed = inputs.front().has_value();
    const QString answer = typed ? *inputs.front() : QString();
    inputs.pop_front();
    return typed ? std::optional<QString>(answer) : std::nullopt;
}

void RecorderPrompt::progressStart(int maximum) {
    progressMaximum = maximum;
}
void RecorderPrompt::progressValue(int value) {
    progressValues.append(value);
}
void RecorderPrompt::progressEnd() {
    ++progressEnds;
}
void RecorderPrompt::status(const QString& text) {
    statuses.append(text);
}

std::optional<bool> RecorderPrompt::askYesNoCancel(const QString& text, const QString& title) {
    if (choices.empty()) return askYesNo(text, title);
    questions.append({platform::Icon::Question, text, title});
    const std::optional<bool> choice = choices.front();
    choices.pop_front();
    return choice;
}

bool RecorderPrompt::stopRequested() {
    ++stopQuestions;
    return stopAfter > 0 && stopQuestions >= stopAfter;
}

QStringList RecorderPrompt::texts() const {
    QStringList out;
    for (const Message& m : messages)
        out.append(m.text);
    return out;
}

void RecorderPrompt::clear() {
    messages.clear();
    questions.clear();
    statuses.clear();
    progressValues.clear();
}

void PrintTo(const Message& m, std::ostream* os) {
    static const char* icons[] = {"None", "Information", "Warning", "Error", "Question"};
    *os << "{" << icons[int(m.icon)] << ", \"" << m.text.toStdString() << "\", \""
        << m.title.toStdString() << "\"}";
}

} // namespace mirel::test
