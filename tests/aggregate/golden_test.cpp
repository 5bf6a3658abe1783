// Golden folders: each case under data/ holds a workspace, the job to run on a copy of it
// (run.txt), and what must come out: the files (byte for byte, and no others in the folders
// named), the tree as the commands print it, the messages in order and the result.
#include <gtest/gtest.h>

#include <memory>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "aggregate/corrcod.h"
#include "aggregate/summation.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "reference/catalog.h"
#include "workspace.h"

using namespace mirel;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

QString readUtf8(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
}

QString iconName(platform::Icon icon) {
    switch (icon) {
    case platform::Icon::Error:
        return "error";
    case platform::Icon::Warning:
        return "warning";
    case platform::Icon::Information:
        return "info";
    case platform::Icon::Question:
        return "question";
    default:
        return "none";
    }
}

// The files under a folder, relative, sorted.
QStringList filesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QStringList archivesIn(const QString& root) {
    return QDir(root).entryList({"Замена кодов*"}, QDir::Dirs, QDir::Name);
}

class GoldenCase : public ::testing::TestWithParam<QString> {};

TEST_P(GoldenCase, GivesItsFilesTreeAndMessages) {
    const QString dir = QStringLiteral(AGGREGATE_CASES) + "/" + GetParam();
    TempWorkspace ws;
    ws.copyTree(dir + "/workspace");
    QDateTime now = QDateTime::currentDateTime();
    QString job;
    for (const QString& line : readUtf8(dir + "/run.txt").split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("readonly ")) {
            ASSERT_TRUE(platform::setReadOnly(ws.file(line.mid(9)), true));
        } else if (line.startsWith("mkdir ")) {
            ws.mkdir(line.mid(6));
        } else if (line.startsWith("now ")) {
            now = QDateTime::fromString(line.mid(4), Qt::ISODate);
        } else {
            job = line;
        }
    }
    const QStringList words = job.split(' ');
    RecorderPrompt prompt;
    reference::FormCatalog forms;
    if (QDir(ws.file("FORM")).exists()) {
        ASSERT_EQ(reference::Load_Form_Catalog(ws.file("FORM"), forms, prompt), 0);
    }
    const aggregate::SummPlace place{ws.path(), ws.file("DAT"), ws.file("SHIF"), ws.file("FORM")};
    const QString argument = words.value(1);
    QString result;
    aggregate::SummTree tree;
    if (words.first() == "replace-codes") {
        aggregate::CodeReplacement replacement(ws.path(), place.datDir, place.shifDir, prompt);
        ASSERT_TRUE(replacement.open());
        result = QString::number(replacement.Corr_Cod(now));
        tree = replacement.tree();
    } else {
        const aggregate::SummMode mode = words.first() == "sum" ? aggregate::SummMode::Summation
                                         : words.first() == "check-sums"
                                             ? aggregate::SummMode::SumCheck
                                             : aggregate::SummMode::FormatCheck;
        aggregate::Summation summation(place, mode, forms, prompt);
        if (!summation.open()) {
            result = "open";
        } else if (mode == aggregate::SummMode::Summation) {
            result = QString::number(argument == "--all" ? summation.Summ_Global()
                                                         : summation.Summ_Dir(argument));
        } else if (mode == aggregate::SummMode::SumCheck) {
            result = QString::number(argument == "--all" ? summation.VSumm_Global()
                                                         : summation.VSumm_Dir(argument));
        } else {
            result = QString::number(summation.V_Format());
        }
        tree = summation.tree();
    }

    EXPECT_EQ(result, readUtf8(dir + "/expected/result.txt").trimmed());
    QString messages;
    for (const test::Message& m : prompt.messages)
        messages += iconName(m.icon) + "|" + m.text + "|" +
                    QString(m.title).replace(ws.path(), "$WS") + "\n";
    EXPECT_EQ(messages, readUtf8(dir + "/expected/messages.txt"));
    const QStringList lines = tree.lines();
    EXPECT_EQ(lines.isEmpty() ? QString() : lines.join('\n') + '\n',
              readUtf8(dir + "/expected/tree.txt"));

    // Every folder of the expected files holds exactly these files, byte for byte.
    const QString expected = dir + "/expected/files";
    for (const QString& top : QDir(expected).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        EXPECT_EQ(filesUnder(ws.file(top)), filesUnder(expected + "/" + top)) << top.toStdString();
        for (const QString& file : filesUnder(expected + "/" + top)) {
            QFile want(expected + "/" + top + "/" + file);
            ASSERT_TRUE(want.open(QIODevice::ReadOnly));
            EXPECT_EQ(ws.readBytes(top + "/" + file), want.readAll()) << file.toStdString();
        }
    }
    // No archive but the expected one.
    EXPECT_EQ(archivesIn(ws.path()), archivesIn(expected));
}

QStringList cases() {
    return QDir(QStringLiteral(AGGREGATE_CASES))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

INSTANTIATE_TEST_SUITE_P(Aggregate, GoldenCase, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<QString>& info) {
                             return info.param.toStdString();
                         });

} // namespace
