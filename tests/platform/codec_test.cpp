#include <gtest/gtest.h>

#include "platform/codec.h"
#include "workspace.h"

using namespace mirel::platform;

TEST(Codec, Cp1251RoundTripsCyrillicAndEveryByte) {
    EXPECT_EQ(encode1251(QStringLiteral("Отчетный период")),
              QByteArray("\xce\xf2\xf7\xe5\xf2\xed\xfb\xe9 \xef\xe5\xf0\xe8\xee\xe4"));
    EXPECT_EQ(decode1251(QByteArray("\xb8\xa8")), QStringLiteral("ёЁ"));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(encode1251(decode1251(all)), all);
    const QByteArray cyrillic866 = all.mid(0x80, 0x30) + all.mid(0xE0, 0x12);
    EXPECT_EQ(encode866(decode866(cyrillic866)), cyrillic866);
}

TEST(Codec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(encode1251(QStringLiteral("a中b")), QByteArray("a?b"));
    EXPECT_EQ(encode866(QStringLiteral("€")), QByteArray("?"));
}

TEST(Codec, OemConversionGivesTheDosBytesReadAsWindowsText) {
    // "А" is 0xC0 in 1251 and 0x80 in 866; 0x80 read as 1251 is "Ђ".
    EXPECT_EQ(toOem(QStringLiteral("А")), decode1251(QByteArray("\x80")));
    EXPECT_EQ(toOem(QStringLiteral("abc 123")), QStringLiteral("abc 123"));
}
