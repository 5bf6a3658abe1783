#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "ui/aggregatemenus.h"
#include "ui/catalogview.h"
#include "ui/dataloadingview.h"
#include "ui/entrywindows.h"
#include "ui/form_treedd.h"
#include "ui/frm_mirel.h"
#include "ui/helpview.h"
#include "ui/importview.h"
#include "ui/mapview.h"
#include "ui/querytree.h"

namespace mirel::ui {

// The views of the main window are created here, one line each, once the controls and menus
// exist; they are children of the window and connect their menu items with connectAction().
void Frm_mirel::createViews() {
    new QueryTree(*this);
    auto* loading = new DataLoadingView(*this);
    new EntryWindows(*this, *loading);
    new CatalogView(*this);
    new ImportView(*this);
    new MapView(*this);
    new AggregateMenus(*this, *loading);
    new ReportsView(*this);
    new HelpView(*this);
}

void Frm_mirel::enterView(View view) {
    MainControls& c = m_c;
    if (m_view == View::Query) m_calcEnabled = c.Cmd_calc->isEnabled();
    m_view = view;
    c.Combo_REG->hide();
    c.Cmd_WriteHTML->hide();
    c.Cmd_Map->hide();

    // Both views lock the query menus, the reports, data entry and "Выход"; the data-loading
    // view and the import modes also the catalog and the period dialog, whose changes they
    // would not follow.
    for (QMenu* menu : {c.mnu_pasp, c.mnu_dir, c.menu_Import})
        menu->menuAction()->setEnabled(false);
    for (QAction* item : {c.mnu_Otchet, c.mnu_exit, c.mnu_VV, c.menu_VV_All})
        setItemEnabled(item, false);
    if (view == View::Load || view == View::Import) {
        c.menu_FFF->menuAction()->setEnabled(false);
        setItemEnabled(c.Menu_YYYYMM, false);
    }

    c.Cmd_calc->setText(QStringLiteral("Выход"));
    c.Cmd_calc->setEnabled(true);
    if (auto* row = qobject_cast<QBoxLayout*>(m_periodRow->layout()))
        row->setStretchFactor(c.Cmd_calc, view == View::Catalog ? 1 : 0);
    layoutControls();
}

void Frm_mirel::leaveView() {
    MainControls& c = m_c;
    for (QWidget* w : std::initializer_list<QWidget*>{c.Cmd_Import, c.Grid, c.Combo_FFF, c.Lbl_FFF,
                                                      c.Frame_Import, c.Cmd_Load_DD, c.Cmd_Summ})
        w->hide();
    c.Cmd_Summ->setText(QStringLiteral("Алгоритм суммирования"));
    c.Tree_Pasp->clear();

    c.Cmd_calc->setText(QStringLiteral("Выполнить"));
    if (auto* row = qobject_cast<QBoxLayout*>(m_periodRow->layout()))
        row->setStretchFactor(c.Cmd_calc, 0);
    c.Cmd_calc->setEnabled(m_calcEnabled);
    layoutControls();

    for (QMenu* menu : {c.mnu_pasp, c.mnu_dir, c.menu_Import, c.menu_FFF})
        menu->menuAction()->setEnabled(true);
    for (QAction* item :
         {c.mnu_Otchet, c.mnu_exit, c.mnu_VV, c.menu_VV_All, c.Menu_YYYYMM, c.menu_XLS})
        setItemEnabled(item, true);

    m_view = View::Query;
    c.Tree_Pasp->show();
    Q_EMIT queryViewRequested();
}

} // namespace mirel::ui
