#pragma once

#include <functional>
#include <memory>
#include <QDate>
#include <QList>
#include <QMainWindow>
#include <QSet>

#include "core/config.h"
#include "platform/prompt.h"
#include "reference/session.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTreeWidget;

namespace mirel::ui {

class WindowPrompt;

// The controls and menus of the main window under their own names (each widget's
// objectName() is the same name; the period fields and the import entries are arrays and share
// their name, with an "index" property). Views fill and show what they need.
struct MainControls {
    QLabel* Lbl_date = nullptr;
    QLineEdit* Txt_Date[2] = {nullptr, nullptr}; // 0 year, 1 month
    QTreeWidget* Tree_Pasp = nullptr;
    QTableWidget* Grid = nullptr;         // hidden; covers the tree when shown
    QPushButton* Cmd_calc = nullptr;      // "Выполнить" / "Выход"
    QPushButton* Cmd_Import = nullptr;    // "Загрузить", hidden
    QComboBox* Combo_REG = nullptr;       // hidden
    QLabel* Lbl_FFF = nullptr;            // "Форма :", hidden
    QComboBox* Combo_FFF = nullptr;       // hidden, editable
    QPushButton* Cmd_Load_DD = nullptr;   // "Загрузить данные", hidden
    QPushButton* Cmd_Summ = nullptr;      // "Алгоритм суммирования", hidden
    QGroupBox* Frame_Import = nullptr;    // "Режим загрузки данных", hidden
    QRadioButton* Option_VV = nullptr;    // "Ввод"
    QRadioButton* Option_Corr = nullptr;  // "Коррекция"
    QCheckBox* Option_Log = nullptr;      // "Логический контроль", hidden
    QPushButton* Cmd_WriteHTML = nullptr; // "Записать HTML", hidden
    QPushButton* Cmd_Map = nullptr;       // "Карта", hidden
    QLabel* Lbl_Info = nullptr;
    QProgressBar* Progress_Bar = nullptr; // shown while a long run reports progress
    QPushButton* Cmd_Stop = nullptr;      // "Прервать", beside the bar while a run is going

    QMenu* mnu_pasp = nullptr; // "Регламентный запрос"
    QAction* mnu_pasp_calc = nullptr;
    QAction* mnu_pasp_open = nullptr;
    QAction* mnu_pasp_app = nullptr;
    QAction* mnu_pasp_ren = nullptr;
    QAction* mnu_pasp_del = nullptr;
    QMenu* mnu_dir = nullptr; // "Раздел"
    QAction* mnu_rr_app = nullptr;
    QAction* mnu_rr_del = nullptr;
    QAction* mnu_rr_ren = nullptr;
    QMenu* menu_Import = nullptr; // "Загрузка данных"
    QList<QAction*> menu_Imp_Dir; // one per import menu caption of the session
    QAction* menu_XLS = nullptr;
    QMenu* Memu_Serv = nullptr; // "Сервис"
    QAction* Menu_YYYYMM = nullptr;
    QAction* Menu_VFormat = nullptr;
    QAction* Menu_Summ = nullptr;
    QAction* Menu_VSumm = nullptr;
    QAction* Menu_CorrCod = nullptr;
    QMenu* menu_FFF = nullptr; // "Каталог форм"
    QAction* menu_FFF_cod = nullptr;
    QAction* menu_FFF_per = nullptr;
    QAction* mnu_Otchet = nullptr;  // "Отчеты"
    QAction* menu_VV_All = nullptr; // "ВВОД ДАННЫХ"
    QAction* mnu_VV = nullptr;      // "ВВОД"
    QAction* mnu_exit = nullptr;    // "Выход"
    QMenu* mnu_help = nullptr;      // "Справка", at the end of the bar
    QAction* mnu_help_guide = nullptr;
    QAction* mnu_help_about = nullptr;
};

// Single-region entry mode: the preamble has a line whose text before the first "-" is a
// number (a region of the workstation's own).
bool Is_VVOD_Reg(const core::IniSections& cnf);
// The "Отчеты" menu is wanted: "[MIREL_WIN]" has a line "OTCHET" or "ОТЧЕТ".
bool V_Otchet(const core::IniSections& cnf);

// The main window "Мирель". It owns the session for the whole run and keeps the session's
// year and month equal to its two period fields. Messages go through prompt(), which shows
// progress on Progress_Bar and Lbl_Info and passes everything to the prompt given here.
//
// Views (the query tree, the data-loading view, the catalog view, the import modes...) are
// classes in files of their own that take the window, use controls(), session(), prompt() and
// browser(), and are created in createViews(). A menu item starts disabled until a view hands
// it its action with connectAction(); setItemEnabled() then switches it without enabling an
// item whose window does not exist.
class Frm_mirel : public QMainWindow {
    Q_OBJECT
public:
    Frm_mirel(const QString& workspace, platform::Prompt& prompt, platform::Browser& browser,
              QWidget* parent = nullptr);
    ~Frm_mirel() override;

    // The load handler: geometry, start-up, menus. Non-zero when start-up failed (its message
    // was shown); the window must then not be shown.
    int load(const QDate& today);

    reference::Session& session() { return m_session; }
    platform::Prompt& prompt();
    // The same prompt as the window's own: warnings in the status strip, the state of a run.
    WindowPrompt& windowPrompt() { return *m_prompt; }
    platform::Browser& browser() { return m_browser; }
    MainControls& controls() { return m_c; }

    void connectAction(QAction* action, std::function<void()> handler);
    void setItemEnabled(QAction* item, bool enabled);
    bool isItemBuilt(QAction* item) const { return !m_unbuilt.contains(item); }

    // Sets both period fields (and so the session's period).
    void setPeriod(const QString& year, const QString& month);

    // Window geometry at load: top left, the screen's width, 0.95 of its height.
    void Ini_Me();
    // Places the tree by its margins (and the grid over it) in the current size.
    void layoutControls();
    // Menu visibility by the preamble and "ОТЧЕТ" / "OTCHET".
    void V_VVOD_Reg();
    // "Отчетный период": the period dialog.
    void openPeriodDialog();

    // The views of the client area. The query view is the window's own; the data-loading view
    // and the catalog view replace it until "Выход" on Cmd_calc.
    enum class View { Query, Load, Catalog, Import };
    View view() const { return m_view; }
    // Puts a view in place of the query view: hides the region selector, "Записать HTML" and
    // "Карта", disables the menus that the view locks and captions Cmd_calc "Выход" (across the
    // period row for the catalog). Entering the open view again changes nothing else.
    void enterView(View view);
    // "Выход" on Cmd_calc: hides the controls of the views, gives Cmd_calc back its caption
    // "Выполнить", enables the menus again, clears the tree and asks the query view to rebuild
    // it (queryViewRequested).
    void leaveView();
    // The date of the run, as given to load().
    QDate today() const { return m_today; }

    // Length in twips as pixels of this window's screen.
    int twipsX(double twips) const;
    int twipsY(double twips) const;

    // Handed to the secondary windows when they open.
    QString g_Dir_Form;
    QString g_Dir_Shif;
    QString g_dir_Dat;
    QString g_Caption_VV;
    bool g_b_VSumm = false;
    bool g_b_VFormat = false;

Q_SIGNALS:
    // Start-up succeeded and the menus are set; views build their contents (the query tree).
    void loaded();
    // Cmd_calc was clicked in the query view ("Выполнить", or the caption of a shown table).
    void calcClicked();
    // A view has been left: the query view shows its tree again and rebuilds it.
    void queryViewRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createImportEntries();
    void createViews();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    QAction* addBarItem(const char* name, const QString& caption);
    QMenu* addBarMenu(const char* name, const QString& caption);

    reference::Session m_session;
    platform::Browser& m_browser;
    MainControls m_c;
    std::unique_ptr<WindowPrompt> m_prompt;
    QWidget* m_area = nullptr;
    QWidget* m_periodRow = nullptr;
    QSet<QAction*> m_unbuilt;
    View m_view = View::Query;
    bool m_calcEnabled = false; // Cmd_calc's state in the query view while another view is open
    QDate m_today = QDate::currentDate();
};

} // namespace mirel::ui
