#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/frm_mirel.h"

namespace mirel::ui {

QMenu* Frm_mirel::addBarMenu(const char* name, const QString& caption) {
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* Frm_mirel::addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setEnabled(false);
    m_unbuilt.insert(item);
    return item;
}

QAction* Frm_mirel::addBarItem(const char* name, const QString& caption) {
    QAction* item = menuBar()->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setEnabled(false);
    m_unbuilt.insert(item);
    return item;
}

// The menu bar in its order, every item disabled until a window connects it.
void Frm_mirel::createMenus() {
    MainControls& c = m_c;
    c.mnu_pasp = addBarMenu("mnu_pasp", QStringLiteral("Регламентный запрос"));
    c.mnu_pasp_calc = addItem(c.mnu_pasp, "mnu_pasp_calc", QStringLiteral("Выполнить"));
    c.mnu_pasp_open = addItem(c.mnu_pasp, "mnu_pasp_open", QStringLiteral("Изменить"));
    c.mnu_pasp_app = addItem(c.mnu_pasp, "mnu_pasp_app", QStringLiteral("Добавить"));
    c.mnu_pasp_ren = addItem(c.mnu_pasp, "mnu_pasp_ren", QStringLiteral("Переименовать"));
    c.mnu_pasp_del = addItem(c.mnu_pasp, "mnu_pasp_del", QStringLiteral("Удалить"));

    c.mnu_dir = addBarMenu("mnu_dir", QStringLiteral("Раздел"));
    c.mnu_rr_app = addItem(c.mnu_dir, "mnu_rr_app", QStringLiteral("Создать"));
    c.mnu_rr_del = addItem(c.mnu_dir, "mnu_rr_del", QStringLiteral("Удалить"));
    c.mnu_rr_ren = addItem(c.mnu_dir, "mnu_rr_ren", QStringLiteral("Переименовать"));

    c.menu_Import = addBarMenu("menu_Import", QStringLiteral("Загрузка данных"));
    c.menu_XLS = addItem(c.menu_Import, "menu_XLS", QStringLiteral("Загрузка файлов Excel"));

    c.Memu_Serv = addBarMenu("Memu_Serv", QStringLiteral("Сервис"));
    c.Menu_YYYYMM = addItem(c.Memu_Serv, "Menu_YYYYMM", QStringLiteral("Отчетный период"));
    c.Menu_VFormat = addItem(c.Memu_Serv, "Menu_VFormat", QStringLiteral("Форматный контроль"));
    c.Menu_Summ = addItem(c.Memu_Serv, "Menu_Summ", QStringLiteral("Суммирование"));
    c.Menu_VSumm = addItem(c.Memu_Serv, "Menu_VSumm", QStringLiteral("Проверка сумм"));
    c.Menu_CorrCod = addItem(c.Memu_Serv, "Menu_CorrCod", QStringLiteral("Замена кодов"));

    c.menu_FFF = addBarMenu("menu_FFF", QStringLiteral("Каталог форм"));
    c.menu_FFF_cod = addItem(c.menu_FFF, "menu_FFF_cod", QStringLiteral("Упорядочить по коду"));
    c.menu_FFF_per =
        addItem(c.menu_FFF, "menu_FFF_per", QStringLiteral("По дате начала эксплуатации"));

    c.mnu_Otchet = addBarItem("mnu_Otchet", QStringLiteral("Отчеты"));
    c.menu_VV_All = addBarItem("menu_VV_All", QStringLiteral("ВВОД ДАННЫХ"));
    c.mnu_VV = addBarItem("mnu_VV", QStringLiteral("ВВОД"));
    c.mnu_exit = addBarItem("mnu_exit", QStringLiteral("Выход"));

    c.mnu_help = addBarMenu("mnu_help", QStringLiteral("Справка"));
    c.mnu_help_guide =
        addItem(c.mnu_help, "mnu_help_guide", QStringLiteral("Руководство пользователя"));
    c.mnu_help_guide->setShortcut(QKeySequence::HelpContents);
    c.mnu_help_about = addItem(c.mnu_help, "mnu_help_about", QStringLiteral("О программе"));
}

// One import entry per caption of the session (the lines of "[DIR_IMPORT]", or the import
// directory), before "Загрузка файлов Excel".
void Frm_mirel::createImportEntries() {
    QMenu* menu = m_c.menu_Import;
    for (int i = 0; i < m_session.importMenu.size(); ++i) {
        QString caption = m_session.importMenu.at(i);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&")); // no mnemonics from data
        auto* item = new QAction(caption, menu);
        item->setObjectName(QStringLiteral("menu_Imp_Dir"));
        item->setProperty("index", i);
        item->setEnabled(false);
        m_unbuilt.insert(item);
        menu->insertAction(m_c.menu_XLS, item);
        m_c.menu_Imp_Dir.append(item);
    }
    if (!m_c.menu_Imp_Dir.isEmpty()) menu->insertSeparator(m_c.menu_XLS);
}

} // namespace mirel::ui
