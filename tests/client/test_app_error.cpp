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

TEST(Messages, WithoutWindowsTheQuestionIsAnsweredCancel) {
    // Until the windows install their message boxes nobody can answer: a
    // submission must never be confirmed on its own.
    EXPECT_FALSE(Messages().askOkCancel(QStringLiteral("你确认提交你所提交的成绩吗??")));
}
