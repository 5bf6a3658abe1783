#include "ui/entrywindows.h"

#include <QAction>
#include <QComboBox>

#include "core/text.h"
#include "data/entry.h"
#include "data/loadview.h"
#include "ui/dataloadingview.h"
#include "ui/form_vv.h"
#include "ui/frm_mirel.h"
#include "ui/messageboxprompt.h"
#include "ui/windowprompt.h"

namespace mirel::ui {

EntryWindows::EntryWindows(Frm_mirel& window, DataLoadingView& loading)
    : QObject(&window)
    , m_w(window) {
    connect(&loading, &DataLoadingView::entryRequested, this,
            [this] { openEntry(m_w.g_Caption_VV); });
    m_w.connectAction(m_w.controls().mnu_VV, [this] {
        m_w.controls().Combo_REG->hide();
        const QString caption = ownCaption();
        if (!caption.isEmpty()) openEntry(caption);
    });
}

QString EntryWindows::ownCaption() {
    reference::Session& session = m_w.session();
    const std::optional<data::OwnRegion> own = data::ownRegion(session.cnf);
    if (!own) return QString();
    QString name = reference::regionName(session.regions, own->code);
    if (name.isEmpty()) {
        const reference::Regions regions =
            reference::VVOD_A_Reg(session.cnf, session.dir(core::DirSHIF), m_w.prompt());
        name = reference::regionName(regions, own->code);
    }
    if (name.isEmpty()) name = own->name;
    name.remove(QLatin1Char('.'));
    return own->code + QStringLiteral(" - ") + name + QLatin1Char('.');
}

void EntryWindows::openEntry(const QString& caption) {
    // Message boxes of the entry window stand over it, not over the main window.
    MessageBoxPrompt* boxes = nullptr;
    if (auto* window = dynamic_cast<WindowPrompt*>(&m_w.prompt()))
        boxes = dynamic_cast<MessageBoxPrompt*>(&window->inner());
    Form_VV form(m_w.session(), caption, m_w.prompt(), m_w.browser(), m_mailer, &m_w);
    if (boxes) boxes->setParentWidget(&form);
    if (form.load()) form.exec();
    if (boxes) boxes->setParentWidget(&m_w);
}

} // namespace mirel::ui
