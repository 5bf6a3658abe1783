#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "reference/session.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::exchange {

// Transfer files: plain texts holding any number of section matrices, each in the layout of a
// section data file, sent by the regions and loaded from the folders of the import menu
// ("Загрузка данных", one entry per line of "[DIR_IMPORT]").

// Is_File_Imp: a file is offered for loading when its name has no "." at all, or its
// extension (the text after the first ".", in upper case) is "TXT", "ML" or the code of a
// catalogued form.
bool Is_File_Imp(const QString& name, const reference::FormCatalog& forms);

// menu_Imp_Dir_Click: the offered files of the folder of import menu entry `entry` (0-based,
// session.importMenu). Missing after "Не доступен директорий загрузки !!!" (title: the folder),
// Empty after "Нет файлов для загрузки !!!" when the folder offers no file.
struct TransferListing {
    enum class Status { Listed, Missing, Empty };
    Status status = Status::Missing;
    QString dir;
    QStringList files; // names, in listing order
};
TransferListing listTransferDir(const reference::Session& session, int entry,
                                platform::Prompt& prompt);

// What is wrong with the header line of a matrix; such a matrix is reported and not loaded.
enum class HeaderProblem { None, FieldCount, FormCode, Section, Period, RegionCode };
// The message of a problem (shown with the header line as title).
QString headerProblemText(HeaderProblem problem);

// One matrix of a transfer file. The header fields are FFF RR YY MM COD or FFF RR YYMM COD:
// FFF padded to three digits, RR, YY and MM to two, a four-digit year taken by its last two
// digits, COD the leading digits of the last field without leading zeros. A field that is not a
// number, or holds more digits than its place (other than leading zeros), is a problem.
struct TransferMatrix {
    QString header; // the first line of the piece, blank runs squeezed, trimmed
    QString fff;
    QString rr;
    QString yy;
    QString mm;
    QString cod;
    QString body; // the lines after the header, each ended by CR LF
    HeaderProblem problem = HeaderProblem::None;

    // The header line as the transfer file has it.
    QString headerLine() const;
    // The whole section data file: "PR_?", the header line rebuilt from the fields, the body.
    QString content() const;
};

// Cuts a transfer text into its matrices: tabs become blanks, a ";" right before a line end is
// removed, the text is cut at every "! 0000 " (the text before the first one is a piece too),
// and each piece that begins with a digit is one matrix, its blank runs squeezed. A state line
// "PR_..." that a concatenation of section data files leaves at the end of a body, and empty
// lines at the end, are not part of the body.
class TransferReader {
public:
    explicit TransferReader(const QString& text);
    // The number of matrices (pieces that begin with a digit).
    int count() const { return int(m_pieces.size()); }
    // The next matrix; false after the last.
    bool next(TransferMatrix& matrix);

private:
    QString m_text;
    QList<std::pair<qsizetype, qsizetype>> m_pieces; // begin, end
    int m_next = 0;
};

// "Ввод" refuses a section that has a data file already; "Коррекция" replaces it.
enum class TransferMode { Entry, Correction };

// The pictures of the load tree (the window's image list entries).
inline constexpr int PictureTransferFile = 1; // a listed file, a written section
inline constexpr int PictureTransferNode = 2; // a period, a form, a region
inline constexpr int PictureTransferError = 4;

// A node of the load tree: period (text YYMM) → form ("форма FFF") → region (COD and its name)
// → section ("раздел RR", with the error texts of a refused or failed section). Nodes are kept
// in the order they were added; parent is the index of the parent node, -1 for a period.
struct TransferNode {
    enum class Level { Period, Form, Region, Section };
    QString key;
    QString text;
    int picture = PictureTransferNode;
    int parent = -1;
    Level level = Level::Period;
};

// Hears of a load as it goes, so that the window can show it.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // The file holds matrices: the tree is cleared and loading begins.
    virtual void loadStarted() {}
    // nodes.at(index) has just been added.
    virtual void nodeAdded(const QList<TransferNode>& nodes, int index) {
        (void)nodes, (void)index;
    }
    // The last matrix is done, or the person stopped the load; the closing message follows.
    virtual void loadFinished() {}
};

// The outcome of loading one file.
struct TransferOutcome {
    enum class Status { Loaded, Missing, Empty, NoData, Stopped };
    Status status = Status::Missing;
    QList<TransferNode> nodes;
    int written = 0;       // sections written
    int refused = 0;       // sections that exist, in "Ввод"
    int writeFailures = 0; // sections whose file could not be written
    int duplicates = 0;    // a section given twice in the file: the second copy ignored
    int badHeaders = 0;    // matrices not loaded for their header
    // Every matrix of the file is in the data now.
    bool complete() const {
        return status == Status::Loaded && refused + writeFailures + duplicates + badHeaders == 0;
    }
};

// Cmd_Import_Click: loads a transfer file into the section data files of the data folder, as
// "PR_?", the header line and the body of each matrix, every file written whole or not at all.
// Messages: a missing file ("Файл не найден !!!"), "Файл для загрузки данных пуст !!!" and "В
// файле отсутствуют данные для загрузки !!!" (title "ВНИМАНИЕ !!!") before anything is done;
// per matrix the header problems and "Попытка повторного ввода уже загруженных данных !!!"
// (title: the header line) and the write error of a section; at the end "Загрузка
// завершена!!!", or platform::stoppedText() when the person stopped the load between two
// matrices. A matrix that fails never keeps the next ones from loading. The transfer file is
// not changed.
TransferOutcome loadTransferFile(const reference::Session& session, const QString& path,
                                 TransferMode mode, platform::Prompt& prompt,
                                 TransferObserver* observer = nullptr);

// The load tree as lines: two blanks per level, the node's text, a tab and its picture.
QStringList transferTreeLines(const QList<TransferNode>& nodes);

} // namespace mirel::exchange
