#include "platform/prompt.h"

#include <QDeadlineTimer>

namespace mirel::platform {
namespace {

// Milliseconds on a monotonic clock.
qint64 nowMs() {
    return QDeadlineTimer::current().deadline();
}

constexpr qint64 kReportEveryMs = 100;

} // namespace

Progress::Progress(Prompt& prompt, int maximum)
    : m_prompt(prompt)
    , m_maximum(maximum) {
    m_prompt.progressStart(maximum);
    m_lastReport = nowMs();
}

Progress::~Progress() {
    finish();
}

void Progress::finish() {
    if (m_finished) return;
    m_finished = true;
    m_prompt.progressEnd();
}

bool Progress::step(int value) {
    if (m_stopped) return false;
    const qint64 now = nowMs();
    if (value < m_maximum && now - m_lastReport < kReportEveryMs) return true;
    m_lastReport = now;
    m_prompt.progressValue(value);
    // The last step ends work that is done: it is not thrown away for a late request.
    if (value < m_maximum && m_prompt.stopRequested()) m_stopped = true;
    return !m_stopped;
}

} // namespace mirel::platform
