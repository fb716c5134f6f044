#include "wizard/uom_list.h"
#include "tests/support/data_files.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const QString kFolder = QStringLiteral("C:\\KT");

TEST(UomEntryFromLine, LabelIsFilledOrCutToFiveCharactersBeforeTheDescription) {
    for (const Case& c : Cases("wizard/uom_lines.cases")) {
        EXPECT_EQ(UomEntryFromLine(c.text(0)), c.text(1)) << c.where();
    }
}

TEST(ReadUomFile, OneEntryPerLineInFileOrderOrTheSingleDefaultWhenMissing) {
    Sandbox sb;
    sb.makeDir(kFolder);
    UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, QStringList{"EA   - Each"});
    EXPECT_TRUE(f.problem.isEmpty());

    sb.writeFile(kFolder + "\\uom.vor", "");
    EXPECT_TRUE(ReadUomFile(sb.fs, kFolder).entries.isEmpty()) << "an empty file is no default";

    sb.writeFile(kFolder + "\\uom.vor",
                 "[CODE]1[LABEL]EA[DESC]Each\r\n[CODE]3[LABEL]CS[DESC]Case\r\n"
                 "[CODE]4[LABEL]PK[DESC]Pack of six\r\n");
    f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, (QStringList{"EA    - Each", "CS    - Case", "PK    - Pack of six"}));
    EXPECT_TRUE(f.problem.isEmpty());
}

TEST(ReadUomFile, GarbledLinesAreLeftOutAndReported) {
    Sandbox sb;
    sb.writeFile(kFolder + "\\UOM.VOR", "\x01\x02garbage\n[LABEL]CS[DESC]Case\n\n[CODE]9\n");
    const UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, QStringList{"CS    - Case"});
    EXPECT_TRUE(f.problem.startsWith("2 line(s) of the unit of measure file"))
        << f.problem.toStdString();
    EXPECT_TRUE(f.problem.endsWith("(the first is line 1)."));
}

TEST(FindUomEntry, MatchesOnTheFirstFiveCharactersAndTheDescriptionFollowsTheSeparator) {
    const QStringList entries{"EA    - Each", "CS    - Case"};
    EXPECT_EQ(FindUomEntry(entries, "CS   "), 1);
    EXPECT_EQ(FindUomEntry(entries, "CS"), 1);
    EXPECT_EQ(FindUomEntry(entries, "     "), 0);
    EXPECT_EQ(FindUomEntry(entries, "BX"), -1);
    EXPECT_EQ(FindUomEntry(QStringList(), QString()), -1);
    EXPECT_EQ(UomDescription("CS    - Case"), "Case");
    EXPECT_EQ(UomDescription("6-PK  - Six pack"), "Six pack");
    EXPECT_EQ(UomDescription("odd-one"), "one");
    EXPECT_EQ(UomDescription("plain"), "plain");
}

}  // namespace
}  // namespace qv::test
