#include <gtest/gtest.h>

#include <cstdio>
#include <QFile>

#include "data/sectiongrid.h"
#include "recorderprompt.h"
#include "reference/catalog.h"
#include "sanitizer.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

// A status line of this process in kB (VmRSS, VmHWM), -1 when it cannot be read.
long statusKb(const char* key) {
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const std::string format = std::string(key) + ": %ld";
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, format.c_str(), &kb) == 1) break;
        std::fclose(f);
    }
    return kb;
}

// The growth of this process's peak memory during a piece of work, in bytes: the peak is set
// back to the present size first. -1 when the system cannot say.
template <typename Work>
long long peakGrowth(Work work) {
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (!reset.open(QIODevice::WriteOnly) || reset.write("5") != 1) return -1;
    reset.close();
    const long before = statusKb("VmRSS");
    work();
    const long peak = statusKb("VmHWM");
    return before < 0 || peak < 0 ? -1 : (peak - before) * 1024LL;
}

constexpr int Lines = 1500000; // about 24 MB of data lines

// AddressSanitizer's peaks say nothing of the program's own use.
constexpr bool MemoryMeasured = !mirel::test::UnderAddressSanitizer;

} // namespace

// A section file many times larger than any section costs about its bytes to read, whether the
// readers keep its cells or refuse its shape: never a list of all its lines or fields.
TEST(HugeSections, ReadingCostsTheFileBytesNotAListOfItsLines) {
    TempWorkspace ws;
    QByteArray tall("PR_?\r\n! 0000 101 02 01 12 7\r\n");
    tall.reserve(Lines * 16);
    for (int i = 0; i < Lines; ++i)
        tall += QByteArray::number(i % 3 + 1) + " " + QByteArray::number(i) + " 22\r\n";
    ws.writeBytes("tall", tall);
    QByteArray wide("PR_?\r\n1");
    wide.reserve(Lines * 10);
    for (int i = 0; i < Lines * 5; ++i)
        wide += " 1";
    ws.writeBytes("wide", wide + "\r\n");
    const long long size = tall.size();
    tall.clear();
    tall.squeeze();
    wide.clear();
    wide.squeeze();

    const auto check = [&](const char* what, auto work) {
        if (!MemoryMeasured) {
            work();
            return;
        }
        const long long growth = peakGrowth(work);
        if (growth < 0) GTEST_SKIP() << "the peak memory of a process cannot be read here";
        EXPECT_LT(growth, 2 * size) << what << ": " << growth / 1048576 << " MB";
    };
    RecorderPrompt p;
    SectionMatrix m;
    check("standard reading, kept", [&] { ASSERT_TRUE(A_DD_Read(ws.file("tall"), m, p)); });
    EXPECT_EQ(m.rows, 3);
    EXPECT_EQ(m.cells.at(0), (QStringList{QString::number(Lines - 3), "22"}));
    EXPECT_TRUE(p.messages.isEmpty());
    check("standard reading, refused", [&] { EXPECT_FALSE(A_DD_Read(ws.file("wide"), m, p)); });
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages.at(0).text.contains("размер раздела недопустим"));

    SectionGrid g = SectionGrid::fromStructure(
        2, mirel::reference::SectionStructure{"2", {"1", "2", "3"}, {"1", "2"}});
    p.clear();
    check("grid loading, kept", [&] { EXPECT_EQ(Load_DD(g, ws.file("tall"), false, p), 0); });
    EXPECT_EQ(g.cell(3, 1), QString::number(Lines - 1));
    EXPECT_EQ(g.caption(), "02: ?");
    check("grid loading, refused", [&] { EXPECT_EQ(Load_DD(g, ws.file("wide"), false, p), -1); });
    EXPECT_EQ(g.caption(), "02: --");
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_TRUE(p.messages.at(0).text.contains(QString::number(Lines * 5)));
}
