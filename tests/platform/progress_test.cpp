#include <gtest/gtest.h>

#include <QThread>

#include "platform/prompt.h"
#include "recorderprompt.h"

using namespace mirel::platform;
using mirel::test::RecorderPrompt;

TEST(Progress, ReportsSeldomButAlwaysTheLastValueAndEndsOnce) {
    RecorderPrompt p;
    {
        Progress progress(p, 100000);
        for (int i = 1; i <= 100000; ++i)
            ASSERT_TRUE(progress.step(i));
    }
    EXPECT_EQ(p.progressMaximum, 100000);
    ASSERT_FALSE(p.progressValues.isEmpty());
    EXPECT_LT(p.progressValues.size(), 50); // a fast loop is not reported step by step
    EXPECT_EQ(p.progressValues.last(), 100000);
    EXPECT_EQ(p.progressEnds, 1);
}

TEST(Progress, StopsWhenThePersonAsksAndNotOnTheLastStep) {
    RecorderPrompt p;
    p.stopAfter = 1;
    Progress progress(p, 3);
    QThread::msleep(110);
    EXPECT_FALSE(progress.step(1));
    EXPECT_TRUE(progress.stopped());
    EXPECT_FALSE(progress.step(2)); // stays stopped
    progress.finish();
    progress.finish();
    EXPECT_EQ(p.progressEnds, 1);

    RecorderPrompt last;
    last.stopAfter = 1;
    Progress done(last, 2);
    EXPECT_TRUE(done.step(2));
    EXPECT_EQ(last.stopQuestions, 0);
}
