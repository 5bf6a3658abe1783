#include <gtest/gtest.h>

#include <QFile>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::TempWorkspace;

namespace {

QByteArray demoPicture(const QString& name) {
    QFile f(QStringLiteral(MIREL_DEMO_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList Pictures{"NEW.Bmp", "CLSDFOLD.ICO", "note01.ICO", "W95mbx01.ico"};

} // namespace

TEST(InitCommand, WritesThePicturesOfTheQueryTreeWithoutReplacingAny) {
    TempWorkspace ws;
    ws.writeBytes("new.bmp", "the user's own picture");
    const auto r = runMirel({"init", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    for (const QString& name : Pictures.mid(1)) {
        EXPECT_FALSE(demoPicture(name).isEmpty()) << name.toStdString();
        EXPECT_TRUE(ws.readBytes(name) == demoPicture(name)) << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(ws.file("NEW.Bmp")));
    EXPECT_TRUE(ws.readBytes("new.bmp") == "the user's own picture");
}
