#pragma once

#include <QDateTime>
#include <QString>

#include "../control/fixture.h"
#include "exchange/excelnames.h"
#include "reference/session.h"

namespace mirel::test {

// A workspace for June 2005 with forms 101 (two sections of 4 and 2 columns, catalogued from
// January 2005) and 102, regions 1401 and 1402, and the Excel import folder. The settings of
// form 101 read the workbooks values.* of the test data: section 1 from worksheet 1, section 2
// from worksheet 2.
struct ImportFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    RecorderBrowser browser;
    reference::Session session;
    const QDateTime now{QDate(2005, 7, 4), QTime(9, 5, 3)};

    ImportFixture() {
        ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\n  YYYY= 2005\n  MM= 6\n");
        ws.write("FORM/2005_01.101/101_0501.1S", "Показатель;1;2;3;4;\n1\n2\n3\n4\n");
        ws.write("FORM/2005_01.101/101_0501.2S", "Показатель;1;2;\n1\n2\n");
        ws.write("FORM/2005_01.101/101_0501.TXT", "Форма 101\nN_PERIOD 12\n");
        ws.write("FORM/2005_01.102/102_0501.1S", "Показатель;1;\n1\n");
        ws.write("FORM/2005_01.102/102_0501.TXT", "Форма 102\nN_PERIOD 12\n");
        ws.write("FORM/2005_01.101/101_CNV.1",
                 "C2 D2 E2 F2\nC3 D3 E3 F3\nC4 D4 E4 F4\nC5 D5 E5 F5\n");
        ws.write("FORM/2005_01.101/101_CNV.2", "B10 C10\nB11 C11\n");
        ws.write("SHIF/shif.txt", "Код Наименование\n1401 Первый район\n1402 Второй район\n");
        ws.mkdir(folderName());
    }

    bool start() {
        session.programDir = ws.path();
        return reference::F_Global(session, QDate(2005, 7, 4), prompt) == 0;
    }

    static QString folderName() { return exchange::g_s_Import_XLS; }
    QString folder() const { return ws.file(folderName()); }
    QString inFolder(const QString& name) const { return folderName() + "/" + name; }

    // Copies a workbook of the test data into the import folder under a name.
    void addWorkbook(const QString& data, const QString& name) const {
        QFile source(QStringLiteral(MIREL_TEST_DATA "/exchange/") + data);
        source.open(QIODevice::ReadOnly);
        ws.writeBytes(inFolder(name), source.readAll());
    }
};

// The section data file of region 1401, June 2005.
inline QString sectionPath(const QString& form, const QString& rr) {
    return "DAT/DAT_0506." + form + "/1401." + rr;
}

} // namespace mirel::test
