#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace mirel::test {

// Result of running the mirel executable as a process.
struct RunResult {
    int status = -1;
    QString out; // stdout, UTF-8
    QString err; // stderr, UTF-8
};

// Runs the built mirel executable with the arguments (on the offscreen platform), waiting up to
// the timeout.
RunResult runMirel(const QStringList& args, int timeoutMs = 120000);
// The same with the bytes given on its standard input (then closed).
RunResult runMirelWithInput(const QStringList& args, const QByteArray& input,
                            int timeoutMs = 120000);

} // namespace mirel::test
