#include "ui/messageboxprompt.h"

#include <cstdio>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

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
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return true;
    std::fprintf(stderr, "mirel: no program opens %s\n", file.toUtf8().constData());
    return false;
}

} // namespace mirel::ui
