// A writing command killed with SIGKILL at random moments: every file of the workspace is the
// old or the new version afterwards, and every report written is whole.
#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include "platform/fileio.h"
#include "process.h"
#include "workspace.h"

using mirel::test::snapshotFiles;
using mirel::test::TempWorkspace;

namespace {

QByteArray withoutDigits(QByteArray bytes) {
    bytes.removeIf([](char c) { return c >= '0' && c <= '9'; });
    return bytes;
}

// The demo workspace with the reports in its own folder TMP.
struct Demo {
    TempWorkspace ws;
    Demo() {
        ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
        ws.mkdir("TMP");
    }
    // Starts the command; killed after delayUs microseconds unless negative. True when it
    // ran to its end.
    bool run(const QStringList& command, qint64 delayUs) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TMPDIR", ws.file("TMP"));
        p.setProcessEnvironment(env);
        p.start(MIREL_EXE, command + QStringList{"--workspace", ws.path()});
        p.waitForStarted();
        if (delayUs >= 0) {
            QThread::usleep(quint64(delayUs));
            p.kill();
        }
        p.waitForFinished(120000);
        return p.exitStatus() == QProcess::NormalExit;
    }
};

// Puts the workspace back to the snapshot: changed files rewritten, new ones removed.
void restore(const TempWorkspace& ws, const QMap<QString, QByteArray>& before,
             const QMap<QString, QByteArray>& now) {
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!before.contains(it.key()))
            QFile::remove(ws.path() + it.key());
        else if (before.value(it.key()) != it.value())
            ws.writeBytes(it.key().mid(1), before.value(it.key()));
    }
}

} // namespace

TEST(Kill, EveryFileIsTheOldOrTheNewVersionAfterAKill) {
    // The whole-form control rewrites the state line of each section, then writes its report.
    const QStringList command{"control", "210", "1102"};
    Demo d;
    const QMap<QString, QByteArray> before = snapshotFiles(d.ws.path());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(d.run(command, -1));
    qint64 fullUs = clock.nsecsElapsed() / 1000;
    const QMap<QString, QByteArray> after = snapshotFiles(d.ws.path());
    // The kills are timed by the fastest of a few full runs: the first one, on a cold disk
    // cache, may take much longer than the rest.
    for (int run = 0; run < 2; ++run) {
        restore(d.ws, before, snapshotFiles(d.ws.path()));
        clock.restart();
        ASSERT_TRUE(d.run(command, -1));
        fullUs = std::min(fullUs, clock.nsecsElapsed() / 1000);
    }
    QByteArray report;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        if (it.key().startsWith("/TMP/")) report = it.value();
    ASSERT_FALSE(report.isEmpty());
    int changed = 0;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        changed += after.value(it.key()) != it.value();
    ASSERT_GE(changed, 2); // the state lines of sections that were marked

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    int killed = 0;
    QMap<QString, QByteArray> now = snapshotFiles(d.ws.path());
    for (int round = 0; round < 24; ++round) {
        restore(d.ws, before, now);
        // Mostly past the start-up, where the writes are.
        const qint64 delay = qint64(double(fullUs) * (0.2 + random.bounded(0.9)));
        killed += !d.run(command, delay);
        now = snapshotFiles(d.ws.path());
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            const QString& name = it.key();
            SCOPED_TRACE(QString("seed %1, round %2, killed after %3 us: %4")
                             .arg(seed)
                             .arg(round)
                             .arg(delay)
                             .arg(name)
                             .toStdString());
            if (mirel::platform::isWriterTemporary(name.section('/', -1)))
                continue; // the instant between a new file's content and its name
            if (name.startsWith("/TMP/")) {
                // A report has its name only when it is whole; only the digits of its time
                // stamp may differ.
                EXPECT_EQ(withoutDigits(it.value()), withoutDigits(report));
                continue;
            }
            ASSERT_TRUE(before.contains(name)) << "a file that was not there before";
            EXPECT_TRUE(it.value() == before.value(name) || it.value() == after.value(name));
        }
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            EXPECT_TRUE(now.contains(it.key())) << it.key().toStdString() << " is gone";
    }
    // Most rounds stop the command half way (the rest let it finish first).
    EXPECT_GE(killed, 6) << "seed " << seed << ", a full run takes " << fullUs << " us";
}
