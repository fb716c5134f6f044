#include "startup/command_line.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(CommandLine, TheArgumentsGiveTheRecordTheUserAndTheTrainingFolder) {
    for (const test::Case& c : test::Cases("startup/command_line.cases")) {
        SCOPED_TRACE(c.where());
        RunValues values;
        EXPECT_EQ(ApplyCommandLine(c.text(0), values), c.num(1));
        EXPECT_EQ(values.SelectedItemID, c.text(2));
        EXPECT_EQ(values.UserID, c.text(3));
        EXPECT_EQ(values.TrainingMode, c.flag(4));
        if (c.flag(4)) {
            EXPECT_EQ(values.DataPath, c.text(0).section("PATH=", 1));  // kept as typed
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
