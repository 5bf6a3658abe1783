#include "ui/aggregatemenus.h"

#include <QAction>
#include <QPushButton>
#include <QTableWidget>

#include "aggregate/corrcod.h"
#include "aggregate/registersum.h"
#include "ui/dataloadingview.h"
#include "ui/form_corrcod.h"
#include "ui/form_summ.h"
#include "ui/frm_mirel.h"

namespace mirel::ui {

AggregateMenus::AggregateMenus(Frm_mirel& window, DataLoadingView& loading)
    : QObject(&window)
    , m_w(window) {
    MainControls& c = m_w.controls();
    m_w.connectAction(c.Menu_Summ, [this] { Menu_Summ_Click(); });
    m_w.connectAction(c.Menu_VSumm, [this] { Menu_VSumm_Click(); });
    m_w.connectAction(c.Menu_VFormat, [this] { Menu_VFormat_Click(); });
    m_w.connectAction(c.Menu_CorrCod, [this] { Menu_CorrCod_Click(); });
    // The register's button calls back here; the view enables it once an action is set.
    loading.setSummAction([this] { Cmd_Summ_Click(); });
}

void AggregateMenus::Menu_Summ_Click() {
    m_w.g_Dir_Shif = m_w.session().dir(core::DirSHIF);
    m_w.g_dir_Dat = m_w.session().dir(core::DirDAT);
    m_w.g_b_VSumm = false;
    m_w.g_b_VFormat = false;
    openSummation();
}

void AggregateMenus::Menu_VSumm_Click() {
    m_w.g_Dir_Shif = m_w.session().dir(core::DirSHIF);
    m_w.g_dir_Dat = m_w.session().dir(core::DirDAT);
    m_w.g_b_VSumm = true;
    m_w.g_b_VFormat = false;
    openSummation();
}

void AggregateMenus::Menu_VFormat_Click() {
    m_w.g_Dir_Shif = m_w.session().dir(core::DirSHIF);
    m_w.g_dir_Dat = m_w.session().dir(core::DirDAT);
    m_w.g_Dir_Form = m_w.session().dir(core::DirFORM);
    m_w.g_b_VSumm = false;
    m_w.g_b_VFormat = true;
    openSummation();
}

void AggregateMenus::openSummation() {
    const aggregate::SummMode mode = m_w.g_b_VFormat ? aggregate::SummMode::FormatCheck
                                     : m_w.g_b_VSumm ? aggregate::SummMode::SumCheck
                                                     : aggregate::SummMode::Summation;
    const aggregate::SummPlace place{m_w.session().programDir, m_w.g_dir_Dat, m_w.g_Dir_Shif,
                                     m_w.g_Dir_Form};
    Form_Summ window(place, mode, m_w.session().forms, m_w.prompt(), &m_w);
    Q_EMIT windowOpening(&window);
    window.exec();
}

void AggregateMenus::Menu_CorrCod_Click() {
    m_w.g_Dir_Shif = m_w.session().dir(core::DirSHIF);
    if (!aggregate::corrCodListReady(m_w.g_Dir_Shif, m_w.prompt())) return;
    m_w.g_dir_Dat = m_w.session().dir(core::DirDAT);
    Form_CorrCod window(m_w.session().programDir, m_w.g_dir_Dat, m_w.g_Dir_Shif, m_w.prompt(),
                        &m_w);
    Q_EMIT windowOpening(&window);
    window.exec();
}

void AggregateMenus::Cmd_Summ_Click() {
    MainControls& c = m_w.controls();
    if (m_w.view() != Frm_mirel::View::Load) return;
    if (c.Cmd_Summ->text() != QStringLiteral("Суммировать")) {
        c.Cmd_Summ->setText(QStringLiteral("Суммировать"));
        c.Cmd_Summ->hide();
        c.Grid->show();
        return;
    }
    reference::Session& session = m_w.session();
    const reference::CatalogEntry* entry = session.currentEntry();
    if (!entry) return;
    if (aggregate::sumRegister(session, entry->formCode, int(entry->sections.size()),
                               m_w.prompt()) != 0)
        return;
    c.Cmd_Load_DD->click();
    platform::showInfo(m_w.prompt(), QStringLiteral("Суммирование завершено !!!"));
}

} // namespace mirel::ui
