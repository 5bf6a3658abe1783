#pragma once

#include <QThread>

#include "recorderprompt.h"
#include "workspace.h"

namespace mirel::test {

// A prompt whose person asks to stop once armed (a run checks at most every 100 ms, so the
// arming also waits that long).
class StoppingPrompt : public RecorderPrompt {
public:
    bool stopRequested() override {
        RecorderPrompt::stopRequested();
        return armed;
    }
    void arm() {
        armed = true;
        QThread::msleep(110);
    }
    bool armed = false;
};

// A workspace with the classifier, one summation file (1100: 1101 1102; 1200: 1201) named in
// "[MIREL_WIN]", and nothing else.
inline void writeSummWorkspace(const TempWorkspace& ws) {
    ws.write("MIREL_WIN.INI", "Тест\n[MIREL_WIN]\n  SUMM1.TXT\n");
    ws.write("SHIF/shif.txt", "1100 Район А\n1101 Город\n1102 Село\n1200 Район Б\n1201 Поселок\n");
    ws.write("SHIF/SUMM1.TXT", "1100:\n1101\n1102\n1200:\n1201\n");
}

} // namespace mirel::test
