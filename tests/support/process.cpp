#include "process.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace mirel::test {

namespace {

RunResult run(const QStringList& args, const QByteArray* input, int timeoutMs) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MIREL_EXE), args);
    if (input) {
        p.waitForStarted();
        p.write(*input);
        p.closeWriteChannel();
    }
    RunResult r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timeout");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

RunResult runMirel(const QStringList& args, int timeoutMs) {
    return run(args, nullptr, timeoutMs);
}

RunResult runMirelWithInput(const QStringList& args, const QByteArray& input, int timeoutMs) {
    return run(args, &input, timeoutMs);
}

} // namespace mirel::test
