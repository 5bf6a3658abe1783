#include <gtest/gtest.h>

#include <QFile>
#include <QThread>
#include <unistd.h>

#include "exchange/transferimport.h"
#include "fixture.h"
#include "platform/fileio.h"

using namespace mirel;
using namespace mirel::test;
using exchange::HeaderProblem;
using exchange::TransferMode;
using exchange::TransferOutcome;
using Icon = platform::Icon;

namespace {

QList<exchange::TransferMatrix> readAll(const QString& text) {
    exchange::TransferReader reader(text);
    QList<exchange::TransferMatrix> matrices;
    exchange::TransferMatrix m;
    while (reader.next(m))
        matrices.append(m);
    EXPECT_EQ(matrices.size(), reader.count());
    return matrices;
}

// The fixture's workspace (June 2005, form 101 with two sections, regions 1401 and 1402) with
// a transfer file in the folder IMPORT.
struct TransferFixture : ImportFixture {
    TransferOutcome load(const QString& text, TransferMode mode = TransferMode::Entry) {
        ws.write("IMPORT/T.TXT", text);
        return loadFile("IMPORT/T.TXT", mode);
    }
    TransferOutcome loadFile(const QString& name, TransferMode mode = TransferMode::Entry) {
        return exchange::loadTransferFile(session, ws.file(name), mode, prompt);
    }
    QStringList tree(const TransferOutcome& outcome) const {
        return exchange::transferTreeLines(outcome.nodes);
    }
};

// Bytes of a literal that holds NUL characters.
template <std::size_t N>
QByteArray raw(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

const Message Done{Icon::Information, "Загрузка завершена!!!", ""};

} // namespace

// Both header forms, padding of every field, tabs, ";" at line ends and blank runs: the same
// matrix whichever way it is written.
TEST(TransferReader, HeaderFormsPaddingAndLineCleaning) {
    const QList<exchange::TransferMatrix> m =
        readAll("! 0000 101 2 05 6 01401\r\n1\t5  6;\r\n2 7 8\r\n"
                "! 0000 101 02 0506 1401\n1 5 6;\n2  7\t8\n"
                "! 0000 1 3 2005 12 0007abc\r\n 1 2;;\r\n");
    ASSERT_EQ(m.size(), 3);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m[i].problem, HeaderProblem::None);
        EXPECT_EQ(QStringList({m[i].fff, m[i].rr, m[i].yy, m[i].mm, m[i].cod}),
                  QStringList({"101", "02", "05", "06", "1401"}));
        EXPECT_EQ(m[i].body, "1 5 6\r\n2 7 8\r\n");
        EXPECT_EQ(m[i].content(), "PR_?\r\n! 0000 101 02 05 06 1401\r\n1 5 6\r\n2 7 8\r\n");
    }
    EXPECT_EQ(m[0].headerLine(), "! 0000 101 2 05 6 01401");
    // A four-digit year counts by its last two digits; one ";" goes per line end.
    EXPECT_EQ(QStringList({m[2].fff, m[2].rr, m[2].yy, m[2].mm, m[2].cod}),
              QStringList({"001", "03", "05", "12", "7"}));
    EXPECT_EQ(m[2].body, " 1 2;\r\n");
}

// Section data files put one after another: every state line belongs to the next file, so
// none ends up in a body (two of them neither); empty lines at the end go too.
TEST(TransferReader, ConcatenatedSectionFiles) {
    const QList<exchange::TransferMatrix> m =
        readAll("PR_++\r\n! 0000 101 01 05 06 1401\r\n1 1 2 3 4\r\n\r\nPR_?\r\n\r\n"
                "! 0000 101 02 05 06 1401\r\n1 5 6\r\nPR_\r\n2 7 8\r\nPR_?\r\n  \r\n PR_0\r\n"
                "! 0000 101 02 05 06 1402\r\nPR_?\r\n");
    ASSERT_EQ(m.size(), 3);
    EXPECT_EQ(m[0].body, "1 1 2 3 4\r\n");
    EXPECT_EQ(m[1].body, "1 5 6\r\nPR_\r\n2 7 8\r\n");
    EXPECT_EQ(m[2].body, "");
}

// Only pieces that begin with a digit are matrices; the text before the first mark is one
// when it does.
TEST(TransferReader, PiecesTaken) {
    EXPECT_EQ(readAll("Письмо района\r\n! 0000 \r\n! 0000 x\r\n! 0000  101 01 0506 1\r\n").size(),
              0);
    const QList<exchange::TransferMatrix> m = readAll("101 01 0506 1401\r\n1 2\r\n! 0000 ");
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m[0].header, "101 01 0506 1401");
    EXPECT_EQ(m[0].body, "1 2\r\n");
    EXPECT_EQ(readAll("! 0000 101 01 0506 1401").at(0).body, "");
}

TEST(TransferReader, HeaderProblems) {
    const struct {
        const char* header;
        HeaderProblem problem;
    } cases[] = {
        {"101 01 0506", HeaderProblem::FieldCount},
        {"101 01 05 06 1401 7", HeaderProblem::FieldCount},
        {"1O1 01 0506 1401", HeaderProblem::FormCode},
        {"1101 01 0506 1401", HeaderProblem::FormCode},
        {"0101 01 0506 1401", HeaderProblem::None},
        {"101 1A 0506 1401", HeaderProblem::Section},
        {"101 102 0506 1401", HeaderProblem::Section},
        {"101 01 506 1401", HeaderProblem::Period},
        {"101 01 200506 1401", HeaderProblem::Period},
        {"101 01 12005 06 1401", HeaderProblem::Period},
        {"101 01 05 1.5 1401", HeaderProblem::Period},
        {"101 01 0513 1401", HeaderProblem::None}, // a month 13 is the sender's affair
        {"101 01 0506 Р1401", HeaderProblem::RegionCode},
        {"101 01 0506 000", HeaderProblem::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        const QList<exchange::TransferMatrix> m =
            readAll("! 0000 " + QString::fromUtf8(c.header) + "\r\n1 2\r\n");
        ASSERT_EQ(m.size(), 1);
        EXPECT_EQ(m[0].problem, c.problem);
    }
    EXPECT_EQ(readAll("! 0000 101 01 0506 000\r\n").at(0).cod, "0");
}

TEST(TransferFiles, OfferedNames) {
    ImportFixture f;
    ASSERT_TRUE(f.start());
    for (const char* name : {"ПЕРЕДАЧА", "a.txt", "A.Ml", "1401.101", "1401.102"})
        EXPECT_TRUE(exchange::Is_File_Imp(QString::fromUtf8(name), f.session.forms)) << name;
    for (const char* name : {"1401.103", "a.doc", "a.b.txt", "1401.01", "a.", ".txt.bak"})
        EXPECT_FALSE(exchange::Is_File_Imp(QString::fromUtf8(name), f.session.forms)) << name;
}

// The entries of the import menu: "Caption -> folder" and a bare folder; a missing folder and
// a folder that offers nothing are said so.
TEST(TransferFiles, ListingTheMenuEntries) {
    ImportFixture f;
    f.ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\n  YYYY= 2005\n  MM= 6\n[DIR_IMPORT]\n"
                                "  Из районов -> Передача\n  Прочее\n  Нет -> Нигде\n");
    f.ws.write("ПЕРЕДАЧА/B", "x");
    f.ws.write("ПЕРЕДАЧА/a.txt", "x");
    f.ws.write("ПЕРЕДАЧА/c.101", "x");
    f.ws.write("ПЕРЕДАЧА/d.xls", "x");
    f.ws.mkdir("ПЕРЕДАЧА/sub.txt");
    f.ws.write("Прочее/d.xls", "x");
    ASSERT_TRUE(f.start());
    f.prompt.clear();

    exchange::TransferListing l = exchange::listTransferDir(f.session, 0, f.prompt);
    EXPECT_EQ(l.status, exchange::TransferListing::Status::Listed);
    EXPECT_EQ(l.dir, f.ws.file("ПЕРЕДАЧА"));
    EXPECT_EQ(l.files, (QStringList{"a.txt", "B", "c.101"}));
    l = exchange::listTransferDir(f.session, 1, f.prompt);
    EXPECT_EQ(l.status, exchange::TransferListing::Status::Empty);
    l = exchange::listTransferDir(f.session, 2, f.prompt);
    EXPECT_EQ(l.status, exchange::TransferListing::Status::Missing);
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{{Icon::Information, "Нет файлов для загрузки !!!", ""},
                        {Icon::Error, "Не доступен директорий загрузки !!!", f.ws.file("НИГДЕ")}}));
}

// Both header forms name the same file DAT_0506.101\1401.02: the second copy in one file is
// refused with its header line, the first is written as the file gives it.
TEST(TransferLoad, DuplicateInOneFile) {
    TransferFixture f;
    ASSERT_TRUE(f.start());
    f.prompt.clear();
    const TransferOutcome r = f.load("! 0000 101 2 05 6 01401\n1 5 6;\n2 7 8\n"
                                     "! 0000 101 02 0506 1401\n1 9 9\n2 9 9\n"
                                     "! 0000 1 1 0506 1402\n1\t1 2 3 4\n");
    EXPECT_EQ(r.status, TransferOutcome::Status::Loaded);
    EXPECT_EQ(r.duplicates, 1);
    EXPECT_EQ(r.written, 2);
    EXPECT_FALSE(r.complete());
    EXPECT_EQ(f.ws.readBytes(sectionPath("101", "02")),
              "PR_?\r\n! 0000 101 02 05 06 1401\r\n1 5 6\r\n2 7 8\r\n");
    EXPECT_EQ(f.ws.readBytes("DAT/DAT_0506.001/1402.01"),
              "PR_?\r\n! 0000 001 01 05 06 1402\r\n1 1 2 3 4\r\n");
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Попытка повторного ввода уже загруженных данных !!!",
                               "! 0000 101 02 0506 1401"},
                              Done}));
    EXPECT_EQ(f.tree(r), (QStringList{"0506\t2", "  форма 101\t2", "    1401 - Первый район\t2",
                                      "      раздел 02\t1", "  форма 001\t2",
                                      "    1402 - Второй район\t2", "      раздел 01\t1"}));
    EXPECT_EQ(f.prompt.progressMaximum, 3);
}

// "Ввод" keeps what is stored and says so in the tree; "Коррекция" replaces it with state "?"
// whatever the sum. Loading the same file again in "Ввод" refuses every section it wrote.
TEST(TransferLoad, EntryAndCorrection) {
    TransferFixture f;
    f.ws.write(sectionPath("101", "01"), "PR_++\n! 0000 101 01 05 06 1401\n1 1 1 1 1\n");
    ASSERT_TRUE(f.start());
    f.prompt.clear();
    const QString text = "! 0000 101 01 0506 1401\n1 0 0 0 0\n! 0000 101 02 0506 1401\n1 3 4\n";
    TransferOutcome r = f.load(text);
    EXPECT_EQ(r.refused, 1);
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(f.ws.read(sectionPath("101", "01")),
              "PR_++\r\n! 0000 101 01 05 06 1401\r\n1 1 1 1 1\r\n");
    EXPECT_EQ(f.tree(r), (QStringList{"0506\t2", "  форма 101\t2", "    1401 - Первый район\t2",
                                      "      раздел 01 - ОШИБКА !!! - повторный ввод\t4",
                                      "      раздел 02\t1"}));
    EXPECT_EQ(f.prompt.messages, QList<Message>{Done});

    r = f.load(text, TransferMode::Correction);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.written, 2);
    EXPECT_EQ(f.ws.read(sectionPath("101", "01")),
              "PR_?\r\n! 0000 101 01 05 06 1401\r\n1 0 0 0 0\r\n");
    EXPECT_EQ(f.tree(r).at(3), "      раздел 01\t1");

    r = f.load(text);
    EXPECT_EQ(r.refused, 2);
    EXPECT_EQ(r.written, 0);
    EXPECT_EQ(f.ws.read("IMPORT/T.TXT"), QString(text).replace("\n", "\r\n")); // left as it was
}

// A concatenation of section data files loads every one of them, without the state lines
// that the concatenation puts at the end of each body. A region outside the classifier shows
// its code alone.
TEST(TransferLoad, ConcatenatedSectionFiles) {
    TransferFixture f;
    ASSERT_TRUE(f.start());
    const QString one = "PR_++\r\n! 0000 101 01 05 06 1401\r\n1 1 2 3 4\r\n2 5 6 7 8\r\n";
    const QString two = "PR_?\r\n! 0000 101 02 05 06 1401\r\n1 5 6\r\n";
    const QString three = "PR_0\r\n! 0000 101 01 05 06 77\r\n1 0 0 0 0\r\n";
    const TransferOutcome r = f.load(one + two + three);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(f.ws.read(sectionPath("101", "01")), "PR_?" + one.mid(5));
    EXPECT_EQ(f.ws.read(sectionPath("101", "02")), two);
    EXPECT_EQ(f.ws.read("DAT/DAT_0506.101/77.01"), "PR_?" + three.mid(4));
    EXPECT_EQ(f.tree(r).mid(5), (QStringList{"    77\t2", "      раздел 01\t1"}));
}

// Bad headers are reported with their line and skipped; a section that cannot be written is
// reported and marked; neither keeps the matrices after it from loading.
TEST(TransferLoad, FailuresDoNotStopTheLoad) {
    TransferFixture f;
    f.ws.write(sectionPath("101", "02"), "PR_++\n! 0000 101 02 05 06 1401\n1 1 1\n");
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(platform::setReadOnly(f.ws.file(sectionPath("101", "02")), true));
    f.prompt.clear();
    const TransferOutcome r = f.load("! 0000 101 0506 1401\n1 2\n! 0000 101 02 0506 1401\n1 3 4\n"
                                     "! 0000 101 01 05 06\n1 1\n! 0000 101 01 0506 Х\n1 1\n"
                                     "! 0000 101 01 0506 1401\n1 1 2 3 4\n",
                                     TransferMode::Correction);
    EXPECT_EQ(r.badHeaders, 3);
    EXPECT_EQ(r.writeFailures, 1);
    EXPECT_EQ(r.written, 1);
    const QString path = f.ws.file(sectionPath("101", "02"));
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{
            {Icon::Error, "В заголовке матрицы должно быть 4 или 5 полей !!!",
             "! 0000 101 0506 1401"},
            {Icon::Error, "Ошибка при записи информации !!!", path},
            {Icon::Error, "Недействительное значение отчетного периода !!!", "! 0000 101 01 05 06"},
            {Icon::Error, "Недействительное значение кода региона !!!", "! 0000 101 01 0506 Х"},
            Done}));
    EXPECT_EQ(f.ws.read(sectionPath("101", "02")),
              "PR_++\r\n! 0000 101 02 05 06 1401\r\n1 1 1\r\n");
    EXPECT_EQ(f.ws.read(sectionPath("101", "01")),
              "PR_?\r\n! 0000 101 01 05 06 1401\r\n1 1 2 3 4\r\n");
    EXPECT_EQ(f.tree(r).mid(3),
              (QStringList{"      раздел 02 - ОШИБКА ЗАПИСИ !!!\t4", "      раздел 01\t1"}));
}

// Files that hold nothing to load are refused before anything is touched.
TEST(TransferLoad, NothingToLoad) {
    TransferFixture f;
    ASSERT_TRUE(f.start());
    f.prompt.clear();
    EXPECT_EQ(f.load("   \r\n").status, TransferOutcome::Status::NoData);
    EXPECT_EQ(f.load("").status, TransferOutcome::Status::Empty);
    EXPECT_EQ(f.load("  ").status, TransferOutcome::Status::Empty);
    EXPECT_EQ(f.load("! 0000 Форма 101\n").status, TransferOutcome::Status::NoData);
    EXPECT_EQ(f.loadFile("IMPORT/NONE").status, TransferOutcome::Status::Missing);
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919 + 13) % 256));
    garbage.replace("! 0000 ", "");
    f.ws.writeBytes("IMPORT/BIN", garbage);
    EXPECT_EQ(f.loadFile("IMPORT/BIN").status, TransferOutcome::Status::NoData);
    const Message empty{Icon::Error, "Файл для загрузки данных пуст !!!", "ВНИМАНИЕ !!!"};
    const Message none{Icon::Error, "В файле отсутствуют данные для загрузки !!!", "ВНИМАНИЕ !!!"};
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{none,
                              empty,
                              empty,
                              none,
                              {Icon::None, "Файл не найден !!!\r\n" + f.ws.file("IMPORT/NONE"), ""},
                              none}));
    EXPECT_EQ(f.prompt.progressMaximum, -1);
    EXPECT_FALSE(f.ws.exists("DAT/DAT_0506.101"));
}

// A transfer file that may not be read is said so, once: it is not taken for an empty one.
TEST(TransferLoad, UnreadableFileIsNotEmpty) {
    TransferFixture f;
    ASSERT_TRUE(f.start());
    f.prompt.clear();
    f.ws.write("IMPORT/LOCKED", "! 0000 101 01 05 06 1401\n1 1 2 3 4\n");
    ASSERT_TRUE(QFile::setPermissions(f.ws.file("IMPORT/LOCKED"), QFileDevice::Permissions()));
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    EXPECT_EQ(f.loadFile("IMPORT/LOCKED").status, TransferOutcome::Status::Missing);
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{
            {Icon::None, "Нет прав на чтение файла !!!\r\n" + f.ws.file("IMPORT/LOCKED"), ""}}));
    EXPECT_FALSE(f.ws.exists("DAT/DAT_0506.101"));
}

// Binary garbage behind a good header is the sender's data: it is written as it came, and the
// header that garbage makes is refused.
TEST(TransferLoad, BinaryGarbage) {
    TransferFixture f;
    ASSERT_TRUE(f.start());
    f.prompt.clear();
    QByteArray bytes = "! 0000 101 01 0506 1401\r\n";
    bytes.append(raw("\x00\x01\xff\x98 1\t2\r\n"));
    bytes.append(raw("! 0000 1\x00\x01 01 0506 1401\r\n1 2\r\n"));
    f.ws.writeBytes("IMPORT/BIN.TXT", bytes);
    const TransferOutcome r = f.loadFile("IMPORT/BIN.TXT");
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(r.badHeaders, 1);
    EXPECT_EQ(f.ws.readBytes(sectionPath("101", "01")),
              raw("PR_?\r\n! 0000 101 01 05 06 1401\r\n\x00\x01\xff\x98 1 2\r\n"));
    ASSERT_EQ(f.prompt.messages.size(), 2);
    EXPECT_EQ(f.prompt.messages[0].text, "Недействительное значение кода формы !!!");
}

// Stopped between two matrices: what was written stays whole, nothing after it is written.
TEST(TransferLoad, Stop) {
    TransferFixture f;
    ASSERT_TRUE(f.start());
    f.prompt.clear();
    // The person asks while the first matrix is loaded; the question is asked once a tenth of a
    // second has passed.
    struct SlowFirst : exchange::TransferObserver {
        void nodeAdded(const QList<exchange::TransferNode>& nodes, int) override {
            if (nodes.size() == 1) QThread::msleep(150);
        }
    } slow;
    f.prompt.stopAfter = 1;
    f.ws.write("IMPORT/T.TXT",
               "! 0000 101 01 0506 1401\n1 1 2 3 4\n! 0000 101 02 0506 1401\n1 3 4\n");
    const TransferOutcome r = exchange::loadTransferFile(f.session, f.ws.file("IMPORT/T.TXT"),
                                                         TransferMode::Entry, f.prompt, &slow);
    EXPECT_EQ(r.status, TransferOutcome::Status::Stopped);
    EXPECT_EQ(r.written, 1);
    EXPECT_TRUE(f.ws.exists(sectionPath("101", "01")));
    EXPECT_FALSE(f.ws.exists(sectionPath("101", "02")));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Information, platform::stoppedText(), ""}}));
}
