#include <gtest/gtest.h>

#include "core/html.h"

using namespace mirel::core;

TEST(Html, TheCodePageIsDeclaredRightAfterHeadOnce) {
    const QString meta = charsetMeta();
    EXPECT_EQ(meta, QStringLiteral("<meta http-equiv=\"Content-Type\" "
                                   "content=\"text/html; charset=windows-1251\">"));
    EXPECT_EQ(withCharset(QStringLiteral("<html>\r\n<HEAD lang=ru>\r\n<title>x</title>")),
              QStringLiteral("<html>\r\n<HEAD lang=ru>") + meta +
                  QStringLiteral("\r\n<title>x</title>"));
    EXPECT_EQ(withCharset(QStringLiteral("<html><body>1</body></html>")),
              QStringLiteral("<html><head>") + meta +
                  QStringLiteral("</head><body>1</body></html>"));
    EXPECT_EQ(withCharset(QStringLiteral("<table>")),
              QStringLiteral("<head>") + meta + QStringLiteral("</head><table>"));
    // A page that declares its own charset is left as it is; "<header>" is not "<head>".
    const QString own = QStringLiteral("<head><META charset=\"utf-8\"></head>");
    EXPECT_EQ(withCharset(own), own);
    EXPECT_EQ(withCharset(QStringLiteral("<header>x</header>")),
              QStringLiteral("<head>") + meta + QStringLiteral("</head><header>x</header>"));
}
