// The application's general error handler and the message interface.
#include "AppError.h"
#include "Messages.h"
#include "RecordingMessages.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(AppError, GuardShowsTheErrorTextAndSkipsTheRest) {
    RecordingMessages messages;
    bool rest = false;
    Guarded([&] {
        RaiseError(QStringLiteral("分数超出范围"));
        rest = true;
    });
    EXPECT_FALSE(rest);
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("分数超出范围")});
}

TEST(AppError, GuardReportsOtherErrorsToo) {
    RecordingMessages messages;
    Guarded([] { throw std::out_of_range("index 3"); });
    Guarded([] { throw 42; });
    Guarded([] {});
    EXPECT_EQ(messages.shown, (QStringList{QStringLiteral("index 3"), QStringLiteral("未知错误")}));
}

TEST(Messages, RecordingReplacesAndRestoresTheInterface) {
    IMessages* before = &Messages();
    {
        RecordingMessages messages;
        messages.answerOk = false;
        EXPECT_EQ(&Messages(), &messages);
        EXPECT_FALSE(Messages().askOkCancel(QStringLiteral("q")));
        EXPECT_EQ(messages.asked, QStringList{QStringLiteral("q")});
    }
    EXPECT_EQ(&Messages(), before);
}
