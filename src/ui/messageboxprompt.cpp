#include "ui/messageboxprompt.h"

#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSpacerItem>

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

// Room the window manager takes in a title bar besides the text: the icon and the buttons.
constexpr int TitleBarExtra = 160;

// A box is sized to its text, but its title often carries the key fact (a path, a code): the
// box is made wide enough for the whole title, up to most of the screen; a longer title is
// repeated at the head of the text, where it wraps.
void fitTitle(QMessageBox& box, const QString& title, QWidget* parent) {
    QFont font = box.font();
    font.setBold(true);
    const int needed = QFontMetrics(font).horizontalAdvance(title) + TitleBarExtra;
    const QScreen* screen = parent && parent->screen() ? parent->screen() : box.screen();
    const int most = screen ? screen->availableGeometry().width() * 9 / 10 : 1200;
    if (needed > most) {
        box.setText(title + QStringLiteral("\n\n") + box.text());
        return;
    }
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid || box.sizeHint().width() >= needed) return;
    grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

int runBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& title,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    const QString caption = title.isEmpty() ? MirelCaption : boxText(title);
    QMessageBox box(icon, caption, boxText(text), buttons, parent);
    // Texts come from files and paths: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    fitTitle(box, caption, parent);
    return box.exec();
}

} // namespace

QString boxText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QWidget* MessageBoxPrompt::boxParent() const {
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible()) return active;
    return m_parent;
}

void MessageBoxPrompt::message(const QString& text, platform::Icon icon, const QString& title) {
    runBox(boxParent(), boxIcon(icon), text, title, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxPrompt::askYesNo(const QString& text, const QString& title) {
    return runBox(boxParent(), QMessageBox::Question, text, title,
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

std::optional<bool> MessageBoxPrompt::askYesNoCancel(const QString& text, const QString& title) {
    const int answer =
        runBox(boxParent(), QMessageBox::Question, text, title,
               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return true;
    if (answer == QMessageBox::No) return false;
    return std::nullopt;
}

bool MessageBoxPrompt::askOkCancel(const QString& text, const QString& title) {
    return runBox(boxParent(), QMessageBox::Question, text, title,
                  QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

std::optional<QString> MessageBoxPrompt::inputBox(const QString& text, const QString& title,
                                                  const QString& proposal) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(boxParent(), title.isEmpty() ? MirelCaption : boxText(title),
                              boxText(text), QLineEdit::Normal, proposal, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

bool DesktopBrowser::open(const QString& path) {
    const QString file = platform::resolvePath(path);
    // No parent: a program still running when Мирель ends is not killed with it.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(m_program, {file});
    if (!process->waitForStarted(m_waitMs)) {
        std::fprintf(stderr, "mirel: %s could not be started for %s\n",
                     m_program.toUtf8().constData(), file.toUtf8().constData());
        delete process;
        return false;
    }
    // The window keeps drawing itself while it waits (the person's input waits too).
    QElapsedTimer waited;
    waited.start();
    while (process->state() != QProcess::NotRunning && waited.elapsed() < m_waitMs) {
        process->waitForFinished(50);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (process->state() != QProcess::NotRunning) {
        // Still running: it shows the page. It is left to run and cleans up after itself.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool shown = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    if (!shown)
        std::fprintf(stderr, "mirel: %s failed (%d) for %s\n", m_program.toUtf8().constData(),
                     process->exitCode(), file.toUtf8().constData());
    delete process;
    return shown;
}

QString pageNotShownText(const QString& path) {
    return QStringLiteral("Страницу не удалось открыть в браузере.\r\nОна записана в файл:\r\n") +
           platform::resolvePath(path);
}

} // namespace mirel::ui
