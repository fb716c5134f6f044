#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(CommandLine, TheArgumentsGiveTheRecordTheUserAndTheTrainingFolder) {
    const struct {
        const char* line;
        std::int32_t recordNum;
        const char* selected;  // SelectedItemID
        const char* user;
        bool training;
    } cases[] = {
        {"UID=12 /USERID=ANN /PATH=C:\\TRAINING", 12, "12", "ANN", true},
        {"", 0, "0", "", false},
        // UID is compared as text before it is read as a number: "abc" sorts after "0" but
        // reads as 0, a leading blank or a sign sorts before the digits.
        {"UID=abc/", 0, "0", "", false},
        {"UID= 7/", 0, "0", "", false},
        {"UID=-5/", 0, "0", "", false},
        {"UID=0/", 0, "0", "", false},
        {"UID=2.5/", 2, "2", "", false},  // halves go to the even neighbour
        {"UID=3.5/", 4, "4", "", false},
        {"UID=17abc /USERID=X", 17, "17", "X", false},
        {"UID=99999999999/", 0, "0", "", false},  // out of range: no record
        {"UID=2147483647", 2147483647, "2147483647", "", false},
        // A key at the very end is empty; trailing blanks are cut, leading ones kept.
        {"UID=5 /USERID=", 5, "5", "", false},
        {"USERID= ANN  /", 0, "0", " ANN", false},
        // The training folder in any case; another folder is no training.
        {"PATH=c:\\training", 0, "0", "", true},
        {"PATH=C:\\KT", 0, "0", "", false},
        {"PATH=C:\\TRAINING2", 0, "0", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        RunValues values;
        EXPECT_EQ(ApplyCommandLine(c.line, values), c.recordNum);
        EXPECT_EQ(values.SelectedItemID, c.selected);
        EXPECT_EQ(values.UserID, c.user);
        EXPECT_EQ(values.TrainingMode, c.training);
        if (c.training) {
            EXPECT_EQ(values.DataPath, QString(c.line).section("PATH=", 1));  // kept as typed
        }
    }
}

TEST(CommandLine, ArgumentsAreJoinedAfterTheProgramName) {
    EXPECT_EQ(CommandLineText({"quorvane", "UID=12", "/USERID=ANN", "/PATH=C:\\My Data"}),
              "UID=12 /USERID=ANN /PATH=C:\\My Data");
    EXPECT_EQ(CommandLineText({"quorvane"}), QString());
}

}  // namespace
}  // namespace qv
