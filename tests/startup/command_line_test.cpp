#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

struct Parsed {
    std::int32_t recordNum;
    RunValues values;
};

Parsed parse(const QString& commandLine) {
    Parsed p{0, {}};
    p.recordNum = ApplyCommandLine(commandLine, p.values);
    return p;
}

TEST(CommandLine, TheSuitesUsualArguments) {
    const Parsed p = parse(QStringLiteral("UID=12 /USERID=ANN /PATH=C:\\TRAINING"));
    EXPECT_EQ(p.recordNum, 12);
    EXPECT_EQ(p.values.SelectedItemID, QStringLiteral("12"));
    EXPECT_EQ(p.values.UserID, QStringLiteral("ANN"));
    EXPECT_EQ(p.values.DataPath, QStringLiteral("C:\\TRAINING"));
    EXPECT_TRUE(p.values.TrainingMode);
}

TEST(CommandLine, NoArgumentsMeanRecordZeroAndNormalMode) {
    const Parsed p = parse(QString());
    EXPECT_EQ(p.recordNum, 0);
    EXPECT_EQ(p.values.SelectedItemID, QStringLiteral("0"));
    EXPECT_TRUE(p.values.UserID.isEmpty());
    EXPECT_FALSE(p.values.TrainingMode);
}

TEST(CommandLine, UidIsComparedAsTextBeforeItIsReadAsANumber) {
    // "abc" sorts after "0" but reads as 0.
    EXPECT_EQ(parse(QStringLiteral("UID=abc/")).values.SelectedItemID, QStringLiteral("0"));
    // A leading blank sorts before the digits: no record even though it reads as 7.
    EXPECT_EQ(parse(QStringLiteral("UID= 7/")).recordNum, 0);
    EXPECT_EQ(parse(QStringLiteral("UID=-5/")).recordNum, 0);
    EXPECT_EQ(parse(QStringLiteral("UID=0/")).recordNum, 0);
    // Halves go to the even neighbour.
    EXPECT_EQ(parse(QStringLiteral("UID=2.5/")).recordNum, 2);
    EXPECT_EQ(parse(QStringLiteral("UID=3.5/")).recordNum, 4);
    EXPECT_EQ(parse(QStringLiteral("UID=17abc /USERID=X")).values.SelectedItemID,
              QStringLiteral("17"));
}

TEST(CommandLine, AnOutOfRangeUidCountsAsNoRecord) {
    const Parsed p = parse(QStringLiteral("UID=99999999999/"));
    EXPECT_EQ(p.recordNum, 0);
    EXPECT_EQ(p.values.SelectedItemID, QStringLiteral("0"));
    EXPECT_EQ(parse(QStringLiteral("UID=2147483647")).recordNum, 2147483647);
}

TEST(CommandLine, TrainingFolderIsRecognisedInAnyCaseAndKeptAsTyped) {
    const Parsed p = parse(QStringLiteral("PATH=c:\\training"));
    EXPECT_TRUE(p.values.TrainingMode);
    EXPECT_EQ(p.values.DataPath, QStringLiteral("c:\\training"));
    EXPECT_FALSE(parse(QStringLiteral("PATH=C:\\KT")).values.TrainingMode);
    EXPECT_FALSE(parse(QStringLiteral("PATH=C:\\TRAINING2")).values.TrainingMode);
}

TEST(CommandLine, AKeyAtTheVeryEndGivesAnEmptyValue) {
    const Parsed p = parse(QStringLiteral("UID=5 /USERID="));
    EXPECT_TRUE(p.values.UserID.isEmpty());
    EXPECT_EQ(p.recordNum, 5);
    // Trailing blanks are cut, leading ones kept.
    EXPECT_EQ(parse(QStringLiteral("USERID= ANN  /")).values.UserID, QStringLiteral(" ANN"));
}

TEST(CommandLine, ArgumentsAreJoinedAfterTheProgramName) {
    EXPECT_EQ(CommandLineText({"quorvane", "UID=12", "/USERID=ANN", "/PATH=C:\\My Data"}),
              QStringLiteral("UID=12 /USERID=ANN /PATH=C:\\My Data"));
    EXPECT_EQ(CommandLineText({"quorvane"}), QString());
}

}  // namespace
}  // namespace qv
