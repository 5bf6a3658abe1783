#include "ui/messageboxprompt.h"

#include <cstdio>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>

#include "platform/fileio.h"

namespace mirel::ui {
namespace {

QMessageBox::Icon boxIcon(platform::Icon icon) {
    switch (icon) {
    case platform::Icon::Information:
        return QMessageBox::Information;
    case platform::Icon::Warning:
        return QMessageBox::Warning;
    case platform::Icon::Error:
        return QMessageBox::Critical;
    case platform::Icon::Question:
        return QMessageBox::Question;
    case platform::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

int runBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& title,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title.isEmpty() ? MirelCaption : boxText(title), boxText(text), buttons,
                    parent);
    // Texts come from files and paths: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

QString boxText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void MessageBoxPrompt::message(const QString& text, platform::Icon icon, const QString& title) {
    runBox(m_parent, boxIcon(icon), text, title, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxPrompt::askYesNo(const QString& text, const QString& title) {
    return runBox(m_parent, QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes) == QMessageBox::Yes;
}

bool MessageBoxPrompt::askOkCancel(const QString& text, const QString& title) {
    return runBox(m_parent, QMessageBox::Question, text, title,
                  QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

std::optional<QString> MessageBoxPrompt::inputBox(const QString& text, const QString& title,
                                                  const QString& proposal) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, title.isEmpty() ? MirelCaption : boxText(title),
                              boxText(text), QLineEdit::Normal, proposal, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

bool DesktopBrowser::open(const QString& path) {
    const QString file = platform::resolvePath(path);
    // Parented to the application: a program that runs on outlives this call.
    auto* process = new QProcess(qApp);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError e) {
                         if (e == QProcess::FailedToStart) process->deleteLater();
                     });
    process->start(m_program, {file});
    if (!process->waitForStarted(m_waitMs)) {
        std::fprintf(stderr, "mirel: %s could not be started for %s\n",
                     m_program.toUtf8().constData(), file.toUtf8().constData());
        return false;
    }
    if (!process->waitForFinished(m_waitMs)) return true;
    const bool shown = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    if (!shown)
        std::fprintf(stderr, "mirel: %s failed (%d) for %s\n", m_program.toUtf8().constData(),
                     process->exitCode(), file.toUtf8().constData());
    return shown;
}

QString pageNotShownText(const QString& path) {
    return QStringLiteral("Страницу не удалось открыть в браузере.\r\nОна записана в файл:\r\n") +
           platform::resolvePath(path);
}

bool WindowBrowser::open(const QString& path) {
    if (m_inner.open(path)) return true;
    m_prompt.message(pageNotShownText(path), platform::Icon::Warning);
    return false;
}

} // namespace mirel::ui
