#pragma once

#include <QObject>
#include <QString>

#include "platform/mail.h"

namespace mirel::ui {

class DataLoadingView;
class Frm_mirel;

// Opens data entry (Form_VV) from the main window: a double click or Enter on a region of the
// register (VVOD_Region, for the window's g_Caption_VV) and "ВВОД", entry for the workstation's
// own region named in the preamble. The entry window is modal; the register reads the row
// again when it has closed.
class EntryWindows : public QObject {
    Q_OBJECT
public:
    EntryWindows(Frm_mirel& window, DataLoadingView& loading);

    // Opens the entry window for a caption "COD - NAME. FFF - TITLE" (or "COD - NAME." to
    // choose the form in it) and returns when it has closed.
    void openEntry(const QString& caption);
    // "ВВОД": the caption of the own region; empty when the preamble names none.
    QString ownCaption();

private:
    Frm_mirel& m_w;
    platform::XdgEmail m_mailer;
};

} // namespace mirel::ui
