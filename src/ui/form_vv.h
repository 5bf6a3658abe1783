#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QSet>

#include "data/entry.h"
#include "data/sectiongrid.h"
#include "platform/prompt.h"
#include "query/calcsection.h"
#include "reference/session.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabBar;

namespace mirel::platform {
class Mailer;
}

namespace mirel::ui {

class EntryGrid;
class EntryPrompt;
class SectionGridModel;

// The controls and menus of the entry window under their own names (objectName() the same).
struct EntryControls {
    QMenuBar* menuBar = nullptr;
    QMenu* menu_Forms = nullptr;    // "Формы"
    QAction* menu_Save = nullptr;   // "Сохранить"
    QMenu* menu_Log = nullptr;      // "Логический контроль"
    QAction* menu_LogRR = nullptr;  // "Раздела"
    QAction* menu_LogFFF = nullptr; // "Формы"
    QAction* menu_Protect = nullptr; // "Защита данных : установить" / "... : снять"
    QAction* menu_Svod = nullptr;   // "Сводный отчет"
    QAction* menu_Export = nullptr; // "Экспорт"
    QMenu* menu_Del = nullptr;      // "Удалить"
    QAction* menu_DelRR = nullptr;  // "Раздел"
    QAction* menu_DelAll = nullptr; // "Все разделы"
    QAction* menu_Clear = nullptr;  // "Очистить"
    QAction* menu_Exit = nullptr;   // "Выход"

    QLineEdit* Txt_Date[2] = {nullptr, nullptr}; // year, month (shown, not edited)
    QLabel* Lbl_BasePer = nullptr;
    QGroupBox* Frame_Move = nullptr;      // "Движение"
    QRadioButton* Option_Down = nullptr;  // "Вниз"
    QRadioButton* Option_Right = nullptr; // "Вправо"
    QPushButton* Cmd_Matrix = nullptr;    // "Печать" / "Документ"
    QLabel* Picture_Box = nullptr;        // the lock, shown while the data are protected
    QTabBar* Tab_VV = nullptr;
    EntryGrid* Grid_VV = nullptr;
    QLabel* Lbl_Info = nullptr;
    QProgressBar* Progress_Bar = nullptr;
    QPushButton* Cmd_Stop = nullptr; // "Прервать", shown during a long run
};

// Form_VV, "Ввод данных.": one form of one region for one period, one tab per section and one
// grid for the current section. The rules are those of data/entry.h, data/protection.h,
// data/summaryreport.h, the control engine and the ".CALC" computation; the window binds them
// to its controls.
//
// Editing: a digit or the space key opens the editor; Enter moves by "Движение" ("Вниз" /
// "Вправо", remembered by the marker files KEY_DOWN / KEY_RIGHT in the workspace); the arrows
// move one cell. Leaving a section (another tab, the grid losing the focus, closing) saves it
// when it differs from its file; while the editor is open a close is refused. A save that fails
// keeps the typed values on screen: the window stays on the section unless the person chooses
// to leave without saving. Ctrl+C / Ctrl+V copy and paste tab-separated blocks, Ctrl+Z undoes
// the edits since the section was loaded or saved.
class Form_VV : public QDialog {
    Q_OBJECT
public:
    // caption: "COD - NAME. FFF - TITLE", or "COD - NAME." for the workstation's own entry
    // ("ВВОД"), which then waits for a form chosen in "Формы". The session gives the
    // directories, catalog, configuration and period fields; messages go to prompt.
    Form_VV(reference::Session& session, const QString& caption, platform::Prompt& prompt,
            platform::Browser& browser, platform::Mailer& mailer, QWidget* parent = nullptr);
    ~Form_VV() override;

    // The load handler: period, values checked, the form built and section 1 shown. False when
    // the window must not open (its message was shown).
    bool load();

    EntryControls& controls() { return m_c; }
    // The current section and its grid (unsaved edits included).
    int currentSection() const { return m_section; }
    const data::SectionGrid& grid() const { return m_grid; }
    const std::optional<data::EntryForm>& form() const { return m_form; }
    bool sectionChanged(int section) const;

    // Chooses the file of "Экспорт" (the save dialog; tests set their own). nullopt when the
    // person cancelled.
    std::function<std::optional<QString>(const QString& proposal)> chooseExportFile;

    // Switches to a section as a tab click does (save-on-leave first). False when the section
    // was not left.
    bool showTab(int section);

    // The window's actions, as their menu items run them.
    void menu_Save_Click();
    void menu_LogRR_Click();
    void menu_LogFFF_Click();
    void menu_Protect_Click();
    void menu_Svod_Click();
    void menu_Export_Click();
    void menu_DelRR_Click();
    void menu_DelAll_Click();
    void menu_Clear_Click();
    void Cmd_Matrix_Click();
    // Another form chosen in "Формы" (its caption "FFF - TITLE").
    void chooseForm(const QString& formName);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class FormVVSections;
    // Save-on-leave before closing; false (nothing happens) while the editor is open, a long
    // run goes on or the person stays after a failed save.
    bool mayClose();
    // While a long run goes on the window takes no input but "Прервать".
    void setRunning(bool running);
    void createControls();
    void createMenus();
    void connectActions();
    void setMovement(bool down, bool remember);

    // VVOD_FFF: builds the tabs of the form and shows section 1.
    bool VVOD_FFF();
    void Mod_Menu_Form();
    // A section read as the window shows it: its grid built from the structure (a missing
    // structure reported), the zero map, the data file, a calculation applied ("Данные были
    // изменены при пересчете раздела !!!").
    struct LoadedSection {
        data::SectionGrid grid;
        std::optional<QByteArray> bytes; // the data file as read; nullopt when there is none
        bool structureOk = false;
        bool loadFailed = false;
        query::Recalc recalc = query::Recalc::NoCalc;
    };
    LoadedSection readSection(int section);
    // Builds and loads a section into the grid (no save-on-leave).
    void loadSection(int section);
    // V__Changed for the current section; asks whether to leave without saving when the save
    // failed. True when the section may be left.
    bool leaveSection();
    void Mod_MenuProtect();
    void Mod_MenuDel();
    void Log_Enable();
    void setTabCaption(int section, const QString& caption);
    void afterSave(bool saved);
    void setWrongCells(int section, const QList<std::pair<int, int>>& cells);
    bool anyChanged() const;
    void markChanged(bool changed);
    data::DataKey key() const;

    bool cellEdited(int row, int column, const QString& text);
    void moveAfterEdit(int key);
    void copySelection();
    void pasteClipboard();
    void undo();
    void updateFormsMenu();

    reference::Session& m_session;
    QString m_caption;
    platform::Browser& m_browser;
    platform::Mailer& m_mailer;
    std::unique_ptr<EntryPrompt> m_prompt;
    EntryControls m_c;
    SectionGridModel* m_model = nullptr;
    QWidget* m_body = nullptr;

    std::optional<data::EntryForm> m_form;
    data::SectionGrid m_grid;
    int m_section = 0;
    bool m_loadFailed = false;                     // the current section's file did not load
    bool m_computed = false;                       // the current section has a calculation
    bool m_structureOk = false;                    // the grid is shown
    QList<bool> m_changed;                         // per section
    QHash<int, QSet<std::pair<int, int>>> m_wrong; // per section, from the last control run
    QList<QList<data::CellEdit>> m_undo;
    QStringList m_formNames; // the "Формы" list
    bool m_switching = false;
    bool m_running = false;
};

} // namespace mirel::ui
