#include "ui/workstation.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "ui/frm_mirel.h"
#include "ui/messageboxprompt.h"

namespace mirel::ui {

std::unique_ptr<Frm_mirel> openWorkstation(const QString& workspace, platform::Prompt& prompt,
                                           platform::Browser& browser, const QDate& today) {
    // A message box closed during start-up is the only window so far: it must not end the
    // program.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    auto window = std::make_unique<Frm_mirel>(workspace, prompt, browser);
    const int status = window->load(today);
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
    if (status != 0) return nullptr;
    window->show();
    return window;
}

int runWorkstation(const QString& workspace, platform::Prompt& prompt, platform::Browser& browser,
                   const QDate& today) {
    const std::unique_ptr<Frm_mirel> window = openWorkstation(workspace, prompt, browser, today);
    if (!window) return 1;
    if (auto* boxes = dynamic_cast<MessageBoxPrompt*>(&prompt))
        boxes->setParentWidget(window.get());
    return QApplication::exec();
}

QTranslator* installTranslations() {
    const QString appDir = QCoreApplication::applicationDirPath();
    const QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              appDir + QStringLiteral("/../share/qt6/translations"),
                              appDir + QStringLiteral("/translations")};
    auto* translator = new QTranslator(qApp);
    for (const QString& folder : folders) {
        if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                             QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return translator;
        }
    }
    delete translator;
    return nullptr;
}

void showStartupFailure(const QString& text) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return;
    installTranslations();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mirel/mirel.png")));
    QMessageBox box(QMessageBox::Critical, MirelCaption, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int runWorkstation(const QString& workspace) {
    installTranslations();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mirel/mirel.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("mirel"));
    // Grids of figures are read for hours: no smaller than 10 points.
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0 && font.pointSizeF() < 10) {
        font.setPointSizeF(10);
        QApplication::setFont(font);
    }
    MessageBoxPrompt prompt;
    DesktopBrowser browser;
    return runWorkstation(workspace, prompt, browser, QDate::currentDate());
}

} // namespace mirel::ui
