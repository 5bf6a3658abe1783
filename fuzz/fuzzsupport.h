#pragma once

// Shared pieces of the fuzz targets: a private copy of the demo workspace, the input written as
// a file (the readers take paths), a prompt that answers every question with no, and a check
// that stops the run when a contract is broken. Each fuzz_*.cpp of this folder is one target;
// its "// Seeds:" line names the demo files (globs, relative to samples/demo) that
// scripts/fuzz.sh copies into its seed corpus.

#include <cstddef>
#include <cstdint>
#include <QByteArray>
#include <QString>

#include "platform/prompt.h"

namespace mirel::fuzz {

// A copy of samples/demo made once per process; the path of its root.
QString demo();

// Writes the input bytes as the file at the path (relative to the demo copy, folders created)
// and returns its full path.
QString putFile(const QString& relative, const std::uint8_t* data, std::size_t size);
QString putFile(const QString& relative, const QByteArray& bytes);

// Puts back the demo's own bytes of a file changed by putFile.
void restoreFile(const QString& relative);

// Messages are dropped; questions are answered with no (or cancel); input boxes cancelled.
class QuietPrompt : public platform::Prompt {
public:
    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    bool askOkCancel(const QString& text, const QString& title = QString()) override;
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override;
    int messages = 0;
};

class NoBrowser : public platform::Browser {
public:
    bool open(const QString&) override { return true; }
};

// Aborts (a finding for libFuzzer) when the condition does not hold.
void check(bool condition, const char* what);

} // namespace mirel::fuzz
