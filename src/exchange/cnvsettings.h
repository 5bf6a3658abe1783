#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "reference/catalog.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::exchange {

// Conversion settings of a form: files FFF_CNV.N (N the worksheet, 0..33, written plainly or
// with one leading zero) in the form folder of the base period. Each file is a list of
// blocks, a block (one section) a list of lines (rows), a line the list of its cell
// references (columns). Blank lines end blocks; each further blank line is an empty block,
// which takes a section number and writes nothing.
using CnvLine = QStringList;
using CnvBlock = QList<CnvLine>;
using CnvFile = QList<CnvBlock>;

struct CnvSettings {
    QString basePeriod;
    QList<CnvFile> files;  // in list order
    QStringList fileNames; // the paths, in the same order
    // The worksheet of a file: the numeric value of the text after the last ".".
    int sheetNumber(int file) const;
};

// The settings file stem of a form: formFolder + "/" + FFF + "_CNV.".
QString cnvStem(const QString& formDir, const QString& formCode, const QString& basePeriod);

// The settings files that exist, in ascending text order of the path (FFF_CNV.10 before
// FFF_CNV.2); for each number the plain name, else the zero-padded one.
QStringList cnvFileList(const QString& formDir, const QString& formCode, const QString& basePeriod);

// Found_FilesCnv: a settings file of worksheet 1, 2 or 3 exists.
bool Found_FilesCnv(const QString& formDir, const QString& basePeriod, const QString& formCode);

// F_A_Cnv: the blocks of one settings file's lines (as read, untrimmed). Empty blocks at the
// end are dropped; a line's blank pairs are read as one blank (one pass), then it is cut at
// blanks.
CnvFile F_A_Cnv(const QStringList& lines);

// The most sections a form can have: section numbers are two digits.
inline constexpr int MaxSections = 99;

// F_A_Cnv_XLS: the base period of the form for the period and all its settings files. False
// after the message: "Форма некаталогизирована для данного отчетного периода !!!" (title the
// form), "Ошибка при открытии файла -> " + path, "Ошибка при формировании условий
// конвертирования -> " + path (a file without any block, or more sections than two digits
// can number), or "Нет файлов для заданного отчетного периода !!!" when no file exists.
bool F_A_Cnv_XLS(const QString& formDir, const reference::FormCatalog& catalog,
                 const QString& periodCode, const QString& formCode, CnvSettings& settings,
                 platform::Prompt& prompt);

} // namespace mirel::exchange
