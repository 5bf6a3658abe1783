#include "ui/helpview.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/prompt.h"
#include "ui/frm_mirel.h"

#ifndef MIREL_VERSION
#define MIREL_VERSION "0"
#endif

namespace mirel::ui {

QString aboutText() {
    return QStringLiteral("Мирель, версия ") + QStringLiteral(MIREL_VERSION) +
           QStringLiteral("\r\nРабочее место региональной статистической отчетности: ввод и "
                          "логический контроль отчетов, регламентные запросы, сводка по "
                          "регионам.\r\nQt ") +
           QString::fromLatin1(qVersion());
}

QString userGuide() {
    QFile file(QStringLiteral(":/mirel/README.md"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

HelpView::HelpView(Frm_mirel& window)
    : QObject(&window)
    , m_window(window) {
    setObjectName(QStringLiteral("HelpView"));
    const MainControls& c = window.controls();
    window.connectAction(c.mnu_help_guide, [this] { showGuide(); });
    window.connectAction(c.mnu_help_about, [this] { showAbout(); });
}

QWidget* HelpView::guideWindow() const {
    return m_guide.data();
}

void HelpView::showGuide() {
    if (!m_guide) {
        // A window of its own (not a child of the main window's area), closed with the program.
        auto* guide = new QWidget(&m_window, Qt::Window);
        guide->setObjectName(QStringLiteral("HelpGuide"));
        guide->setWindowTitle(QStringLiteral("Руководство пользователя - Мирель"));
        auto* layout = new QVBoxLayout(guide);
        layout->setContentsMargins(0, 0, 0, 0);
        m_browser = new QTextBrowser(guide);
        m_browser->setOpenExternalLinks(true);
        const QString text = userGuide();
        if (text.isEmpty())
            m_browser->setPlainText(QStringLiteral("Руководство пользователя не найдено."));
        else
            m_browser->setMarkdown(text);
        layout->addWidget(m_browser);
        QSize size(900, 700);
        if (const QScreen* screen = m_window.screen())
            size = size.boundedTo(screen->availableGeometry().size() * 0.9);
        guide->resize(size);
        m_guide = guide;
    }
    m_guide->show();
    m_guide->raise();
    m_guide->activateWindow();
}

void HelpView::showAbout() {
    platform::showInfo(m_window.prompt(), aboutText(), QStringLiteral("О программе"));
}

} // namespace mirel::ui
