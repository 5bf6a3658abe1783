#pragma once

#include <functional>
#include <optional>
#include <QObject>
#include <QStringList>

#include "data/loadview.h"

class QMenu;

namespace mirel::ui {

class Frm_mirel;

// The data-loading view of the main window ("ВВОД ДАННЫХ"): the form selector, the region grid
// and the register of submitted reports of one form for the period fields. The rules live in
// data/loadview.h; this class shows what they return in the window's controls.
//
// Entering: the grid and the tree are hidden until the register is filled; "Загрузить данные",
// Enter or a choice in the form selector and a change of the option "Все" / "Отсутствующие"
// fill it. Enter in a period field rebuilds the view for the period in the fields. A double
// click or a key in the register asks for data entry of the row's region (entryRequested) and
// reads the row's marks again afterwards. The register's context menu runs logical control of
// every region.
class DataLoadingView : public QObject {
    Q_OBJECT
public:
    explicit DataLoadingView(Frm_mirel& window);

    // "ВВОД ДАННЫХ": the period from the preamble, then the view for it.
    void open();
    // Enter in period field 0 (year) or 1 (month) while the view is open: the view again for
    // the period in the fields; the focus moves on to the month field or the form selector.
    void periodEntered(int field);
    // Cmd_Load_DD: the register of the form in the selector.
    void Cmd_Load_DD();
    // VVOD_Region: data entry for the region of the register's current row. Nothing while no
    // data entry window receives entryRequested.
    void VVOD_Region();
    // "Логический контроль" -> "Все регионы" of the register's context menu: the whole-form run
    // of every region that has sent the register's form; the summary page is opened and the
    // marks of the regions checked are read again. Escape stops it between two regions.
    void controlAllRegions();
    // The register's context menu (shown over the register only).
    QMenu* registerMenu() const { return m_registerMenu; }

    // The job of the summation button ("Алгоритм суммирования" / "Суммировать"); the button is
    // greyed while there is none.
    void setSummAction(std::function<void()> action);

Q_SIGNALS:
    // Data entry opens (modally) for the window's g_Caption_VV; the register's row is read
    // again when the handlers return.
    void entryRequested(const QString& regionCode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enter(bool takePreamblePeriod);
    void optionChanged();
    void setOptionAll();
    void showRegionGrid(const data::TextTable& table, bool summEnabled);
    void showFormSelector(const QStringList& forms, bool loadEnabled);
    void showRegister(const data::Register& reg);
    void setRowMarks(int row, const QStringList& marks);
    void prepareGrid(const QStringList& header, int rows, int fixedColumns,
                     const std::function<QString(int, int)>& textOf);
    void setCell(int row, int column, const QString& text);

    void hideEmptyRows();
    void sayWhetherDataExist(const data::Register& reg);
    void updateSummButton();

    Frm_mirel& m_w;
    std::function<void()> m_summAction;
    QStringList m_forms;                      // the form selector's list
    std::optional<data::Register> m_register; // the register shown, if any
    QString m_registerName;                   // its entry of the form selector
    QMenu* m_registerMenu = nullptr;
};

} // namespace mirel::ui
