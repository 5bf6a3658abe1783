#include <gtest/gtest.h>

#include "core/files.h"
#include "recorderprompt.h"
#include "reference/catalog.h"
#include "reference/catalogtree.h"
#include "workspace.h"

using namespace mirel::reference;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

// A structure file of rows x columns with identifiers 1..columns and rows "1".."rows".
QString structureText(int rows, int columns) {
    QString text = "// comment\nНаименование;";
    for (int c = 1; c <= columns; ++c)
        text += QString::number(c) + ";";
    for (int r = 1; r <= rows; ++r)
        text += "\n" + QString::number(r);
    return text;
}

SectionStructure parse(const QString& text, RecorderPrompt& p, int* status = nullptr) {
    TempWorkspace ws;
    ws.write("s.1S", text);
    SectionStructure s;
    const int st =
        parseStructure(mirel::core::Read_Lines_Upper(ws.file("s.1S"), false, p), "PATH", s, p);
    if (status) *status = st;
    return s;
}

} // namespace

TEST(StructureFile, HeadLinesCommentsColumnsAndRows) {
    RecorderPrompt p;
    // A three-line head: only the third line is the column line; text after the last ";" and
    // blanks around identifiers do not count; "//" after the column line is a row.
    SectionStructure s = parse("// title ; not a head line\nа;б;\nв;г;\nНаим; 1 ; 2 ;3\n01 Всего\n"
                               "// 02 row\n\n03",
                               p);
    EXPECT_EQ(s.columns, (QStringList{"1", "2"}));
    EXPECT_EQ(s.rows, (QStringList{"01 ВСЕГО", "// 02 ROW", "03"}));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(StructureFile, BrokenColumnLinesAreErrorsAndAMissingOneAWarning) {
    RecorderPrompt p;
    int status = 0;
    parse("// x\nНаим;1;2;", p, &status);
    EXPECT_EQ(status, -1);
    parse("Наим;1\n1\n2", p, &status);
    EXPECT_EQ(status, -1);
    const SectionStructure s = parse("// only comments\nstrings without separators", p, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(s.rows, QStringList{QString()});
    EXPECT_EQ(s.columns, QStringList{QString()});
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Ошибка в формате матрицы !!! Файл - PATH", ""},
                              {Icon::Error, "Ошибка в формате матрицы. Файл : PATH", ""},
                              {Icon::Warning,
                               "В структурном файле не найдена строка идентификаторов граф !!!",
                               "PATH"}}));
}

TEST(FormCatalog, FoldersFilesAndSectionOrder) {
    TempWorkspace ws;
    ws.write("FORM/2001_01.101/101_0101.1S", structureText(3, 2));
    ws.write("FORM/2001_01.101/101_0101.10s", structureText(4, 1));
    ws.write("FORM/2001_01.101/101_0101.2S", structureText(5, 3));
    ws.write("FORM/2001_01.101/101_0101.1S.XLS", "junk");
    ws.write("FORM/2001_01.101/101_0101.01.ZERO", "0");
    ws.write("FORM/2001_01.101/101_0101.TXT", "Форма 101\nN_PERIOD 12");
    ws.write("FORM/2001_01.101/102_0101.3S", structureText(1, 1)); // another form's name
    ws.write("FORM/2001_1.101/101_0101.1S", structureText(1, 1));
    ws.write("FORM/2001_01101/101_0101.1S", structureText(1, 1));
    ws.write("FORM/backup/101_0101.1S", structureText(1, 1));
    ws.write("FORM/2002_01.101/101_0201.1S", structureText(7, 2));
    RecorderPrompt p;
    FormCatalog catalog;
    ASSERT_EQ(Load_Form_Catalog(ws.file("FORM"), catalog, p), 0);
    ASSERT_EQ(catalog.size(), 2);
    const CatalogEntry& e = catalog[0];
    EXPECT_EQ(e.formCode, "101");
    EXPECT_EQ(e.basePeriod, "200101");
    ASSERT_EQ(e.sections.size(), 3);
    // Designators sort as text: 1, 10, 2.
    EXPECT_EQ(e.sections[0].designator, "1");
    EXPECT_EQ(e.sections[1].designator, "10");
    EXPECT_EQ(e.sections[1].rows.size(), 4);
    EXPECT_EQ(e.sections[2].columns, (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Find_Catalog_Entry(catalog, "101", "200201"), 2);
    EXPECT_EQ(Find_Catalog_Entry(catalog, "101", "200301"), 0);
    // Folders that nearly match are skipped with a warning; others silently.
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Warning,
                               "Папка не соответствует шаблону ГГГГ_ММ.ФФФ и не включена в "
                               "справочник форм !!!",
                               ws.file("FORM/2001_01101")},
                              {Icon::Warning,
                               "Папка не соответствует шаблону ГГГГ_ММ.ФФФ и не включена в "
                               "справочник форм !!!",
                               ws.file("FORM/2001_1.101")}}));
}

TEST(FormCatalog, MissingEmptyAndBrokenCatalogsStop) {
    TempWorkspace ws;
    RecorderPrompt p;
    FormCatalog catalog;
    EXPECT_EQ(Load_Form_Catalog(ws.file("FORM"), catalog, p), -1);
    ws.mkdir("FORM/2001_01.101");
    EXPECT_EQ(Load_Form_Catalog(ws.file("FORM"), catalog, p), -1);
    ws.write("FORM/2001_01.101/101_0101.1S", structureText(2, 2));
    ws.write("FORM/2001_01.101/101_0101.2S", "Наим;1;2;");
    EXPECT_EQ(Load_Form_Catalog(ws.file("FORM"), catalog, p), -1);
    EXPECT_EQ(p.messages,
              (QList<Message>{
                  {Icon::Error, "Отсутствует директорий " + ws.file("FORM"), ""},
                  {Icon::Error, ws.file("FORM") + "\r\nСправочник форм пуст !!!", ""},
                  {Icon::Error,
                   "Ошибка в формате матрицы !!! Файл - " + ws.file("FORM/2001_01.101/101_0101.2S"),
                   ""}}));
}

TEST(FormCatalog, TheBasePeriodIsTheGreatestNotLaterThanThePeriod) {
    const SectionStructure s{"1", {"1"}, {"1"}};
    FormCatalog catalog;
    New_Catalog_Entry(catalog, "101", "200106", s);
    New_Catalog_Entry(catalog, "102", "199001", s);
    New_Catalog_Entry(catalog, "101", "200001", s);
    Add_Catalog_Section(catalog[2], s);
    RecorderPrompt p;
    QString base;
    int index = -1;
    EXPECT_EQ(VVOD_Base_Per("101", "200112", catalog, base, index, p), 0);
    EXPECT_EQ(base, "200106");
    EXPECT_EQ(index, 0);
    EXPECT_EQ(VVOD_Base_Per("101", "200105", catalog, base, index, p), 0);
    EXPECT_EQ(base, "200001");
    EXPECT_EQ(index, 2);
    EXPECT_EQ(catalog[2].sections.size(), 2);
    EXPECT_EQ(VVOD_Base_Per("101", "199912", catalog, base, index, p), -1);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error,
                                           "Форма некаталогизирована для данного отчетного "
                                           "периода !!!",
                                           "101"}}));
}

TEST(FormCatalog, DisplayNameDependsOnThePeriodicity) {
    TempWorkspace ws;
    ws.write("FORM/2001_01.101/101_0101.TXT", "  Сведения о ценах  \nN_PERIOD   4\n");
    ws.write("FORM/2001_01.102/102_0101", "Без расширения\nn_period 12");
    ws.write("FORM/2001_01.103/103_0101.TXT", "Знак\nN_PERIOD= 12");
    ws.write("FORM/2001_01.104/104_0101.TXT", "Без периодичности");
    RecorderPrompt p;
    const QString dir = ws.file("FORM");
    EXPECT_EQ(VVOD_Name_Form(dir, "101", "200101", 9, p), "101 - Сведения о ценах");
    EXPECT_EQ(VVOD_Name_Form(dir, "101", "200101", 8, p), QString());
    EXPECT_EQ(VVOD_Name_Form(dir, "102", "200101", 1, p), "102 - Без расширения");
    EXPECT_EQ(VVOD_Name_Form(dir, "103", "200101", 12, p), QString());
    EXPECT_EQ(VVOD_Name_Form(dir, "104", "200101", 12, p), QString());
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(VVOD_Name_Form(dir, "105", "200101", 12, p), QString());
    EXPECT_EQ(p.texts(), QStringList{"Файл отсутствует : " + dir + "/2001_01.105/105_0101"});
}

TEST(CatalogView, SummaryTextsAndBothOrderings) {
    EXPECT_EQ(S_RR_Info(1, 12, 5), "Раздел 01. Строк : 12. Граф :  5");
    EXPECT_EQ(S_RR_Info(12, 123, 10), "Раздел 12. Строк : 23. Граф : 10");

    const SectionStructure a{"1", {"1", "2"}, {"1"}};
    FormCatalog catalog;
    New_Catalog_Entry(catalog, "210", "202401", a);
    New_Catalog_Entry(catalog, "130", "202507", a);
    New_Catalog_Entry(catalog, "130", "202401", a);
    EXPECT_FALSE(singleFormVersion(catalog));
    const CatalogNode section{"Раздел 01. Строк :  2. Граф :  1", {}};
    const QList<CatalogNode> byCode{
        {"Форма 130",
         {{"Дата начала эксплуатации : 2024 01", {section}},
          {"Дата начала эксплуатации : 2025 07", {section}}}},
        {"Форма 210", {{"Дата начала эксплуатации : 2024 01", {section}}}}};
    EXPECT_EQ(catalogByCode(catalog), byCode);
    const QList<CatalogNode> byPeriod{
        {"2024 01", {{"Форма 130", {section}}, {"Форма 210", {section}}}},
        {"2025 07", {{"Форма 130", {section}}}}};
    EXPECT_EQ(catalogByPeriod(catalog), byPeriod);
    EXPECT_TRUE(singleFormVersion(catalog.mid(0, 1)));
}
