// The configuration and the text writers facing files that are empty, saved in the wrong
// encoding or planted as symbolic links, and numbers far beyond any range.
#include <gtest/gtest.h>

#include <limits>
#include <QDate>
#include <QFile>
#include <QFileInfo>

#include "core/config.h"
#include "core/files.h"
#include "core/text.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::core;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

TEST(Configuration, AnEmptyFileIsReplacedByTheDefaultOneAnyOtherIsKept) {
    TempWorkspace ws;
    RecorderPrompt p;
    ws.writeBytes("MIREL_WIN.INI", QByteArray()); // left by a write on a full disk
    EXPECT_TRUE(V_File_Ini(ws.path(), QDate(2002, 1, 15), p));
    EXPECT_EQ(ws.read("MIREL_WIN.INI"), defaultIniText(ws.path(), QDate(2002, 1, 15)));
    ws.write("MIREL_WIN.INI", " \n");
    EXPECT_TRUE(V_File_Ini(ws.path(), QDate(2002, 1, 15), p));
    EXPECT_EQ(ws.readBytes("MIREL_WIN.INI"), QByteArray(" \r\n"));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(Configuration, AFileSavedAsUtf8IsReadAfterAWarning) {
    TempWorkspace ws;
    RecorderPrompt p;
    const QString text = QStringLiteral("Мирель\r\n[MIREL_WIN]\r\nYYYY= 2025\r\nMM= 12\r\n"
                                        "[DIR_PASP]\r\nЗапросы\r\n");
    ws.writeBytes("MIREL_WIN.INI", text.toUtf8());
    const IniSections cnf = Read_Ini_Sections(ws.file("MIREL_WIN.INI"), p);
    EXPECT_EQ(cnf.size(), 3); // the empty preamble, [MIREL_WIN], [DIR_PASP]
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Warning,
                               "Файл MIREL_WIN.INI записан в кодировке UTF-8: русские буквы в нем "
                               "читаются неверно. Сохраните его в кодировке Windows-1251 !!!",
                               ws.file("MIREL_WIN.INI")}}));
    p.clear();
    ws.write("MIREL_WIN.INI", text);
    Read_Ini_Sections(ws.file("MIREL_WIN.INI"), p);
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(TextWriter, ALinkUnderADataFileNameIsRefusedWithTheWriteMessage) {
    TempWorkspace ws;
    RecorderPrompt p;
    ws.write("outside.txt", "keep");
    ASSERT_TRUE(QFile::link(ws.file("outside.txt"), ws.file("MIREL_WIN.INI")));
    EXPECT_EQ(Write_Text_File(ws.file("MIREL_WIN.INI"), "new", p), -1);
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!",
                                           ws.file("MIREL_WIN.INI")}}));
    EXPECT_EQ(ws.read("outside.txt"), "keep");
    // Start-up does not take a dangling link for a missing configuration either.
    QFile::remove(ws.file("outside.txt"));
    p.clear();
    EXPECT_FALSE(V_File_Ini(ws.path(), QDate(2002, 1, 15), p));
    EXPECT_FALSE(QFileInfo::exists(ws.file("outside.txt")));
    EXPECT_EQ(p.texts(), QStringList{"Ошибка при записи информации !!!"});
}

TEST(Numbers, WholeNumbersAreHeldAtTheEndsOfTheirRange) {
    constexpr int intMax = std::numeric_limits<int>::max();
    constexpr int intMin = std::numeric_limits<int>::min();
    EXPECT_EQ(wholeInt(Val("1e20")), intMax);
    EXPECT_EQ(wholeInt(Val("-1e300")), intMin);
    EXPECT_EQ(wholeInt(2147483647.9), intMax);
    EXPECT_EQ(wholeInt(-2147483648.5), intMin);
    EXPECT_EQ(wholeInt(-7.9), -7);
    EXPECT_EQ(wholeInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(wholeLong(1e19), std::numeric_limits<qint64>::max());
    EXPECT_EQ(wholeLong(-9.3e18), std::numeric_limits<qint64>::min());
    EXPECT_EQ(wholeLong(12345678901.5), 12345678901LL);
}
