#include "app/cliprompt.h"

#include <csignal>
#include <cstdio>

namespace mirel::app {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

void CliPrompt::progressStart(int) {
    if (m_runs++ > 0) return;
    g_interrupted = 0;
    m_previous = std::signal(SIGINT, onInterrupt);
}

void CliPrompt::progressEnd() {
    if (m_runs == 0 || --m_runs > 0) return;
    // A Ctrl-C that came meanwhile is kept for stopRequested() until the next job starts.
    std::signal(SIGINT, m_previous == SIG_ERR ? SIG_DFL : m_previous);
}

bool CliPrompt::stopRequested() {
    return g_interrupted != 0;
}

QString messageLine(const QString& text, platform::Icon icon, const QString& title) {
    QString kind = QStringLiteral("info");
    if (icon == platform::Icon::Error)
        kind = QStringLiteral("error");
    else if (icon == platform::Icon::Warning)
        kind = QStringLiteral("warning");
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    body.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    body.replace(QLatin1Char('\r'), QStringLiteral(" / "));
    QString line = kind + QStringLiteral(": ") + body;
    if (!title.isEmpty()) {
        QString t = title;
        t.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
        line += QStringLiteral(" [") + t + QLatin1Char(']');
    }
    return line;
}

void CliPrompt::message(const QString& text, platform::Icon icon, const QString& title) {
    if (icon == platform::Icon::Error) ++m_errors;
    std::fprintf(stderr, "%s\n", messageLine(text, icon, title).toUtf8().constData());
    std::fflush(stderr);
}

bool CliPrompt::askYesNo(const QString&, const QString&) {
    return m_yes;
}
bool CliPrompt::askOkCancel(const QString&, const QString&) {
    return m_yes;
}

std::optional<QString> CliPrompt::inputBox(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

} // namespace mirel::app
