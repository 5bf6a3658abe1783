// The main function of the benchmarks that drive windows (offscreen unless a platform is
// asked for), and what they share.
#include "benchgui.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>

namespace mirel::bench {

ClickTimes timeClick(QAbstractButton* button) {
    QElapsedTimer timer;
    timer.start();
    button->click();
    ClickTimes times;
    times.done = double(timer.nsecsElapsed()) / 1e9;
    QCoreApplication::processEvents(); // drawn once
    times.drawn = double(timer.nsecsElapsed()) / 1e9;
    return times;
}

} // namespace mirel::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
