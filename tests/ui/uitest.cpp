#include "uitest.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include "ui/form_yyyymm.h"
#include "ui/frm_mirel.h"

namespace mirel::test {

void writeStartableWorkspace(const TempWorkspace& ws, const QString& ini) {
    ws.write("MIREL_WIN.INI", ini);
    ws.write("FORM/2001_01.101/101_0101.1S", "Наименование;1;2;\nСтрока 1\nСтрока 2\n");
    ws.write("FORM/2001_01.101/101_0101.TXT", "Сведения о численности\nN_PERIOD 12\n");
    ws.write("SHIF/shif.txt", "1100 Область\n1101 Район\n");
    copyTreePictures(ws);
}

void copyTreePictures(const TempWorkspace& ws) {
    for (const char* name : {"NEW.Bmp", "CLSDFOLD.ICO", "note01.ICO", "W95mbx01.ico"}) {
        QFile picture(QStringLiteral(MIREL_DEMO_DIR "/") + QLatin1String(name));
        if (picture.open(QIODevice::ReadOnly))
            ws.writeBytes(QLatin1String(name), picture.readAll());
    }
}

bool withPeriodDialog(ui::Frm_mirel& window, const std::function<void(ui::Form_YYYYMM&)>& steps) {
    bool shown = false;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = window.findChild<ui::Form_YYYYMM*>();
        if (!dialog || !dialog->isVisible()) return;
        shown = true;
        steps(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    window.controls().Menu_YYYYMM->trigger();
    // A dialog that never opened leaves the timer for the next event loop: run it now.
    QCoreApplication::processEvents();
    return shown;
}

} // namespace mirel::test
