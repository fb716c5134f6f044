#include "wizard/uom_list.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const QString kFolder = QStringLiteral("C:\\KT");

TEST(UomEntryFromLine, LabelIsFilledToFiveCharacters) {
    EXPECT_EQ(UomEntryFromLine(QStringLiteral("[CODE]3[LABEL]CS[DESC]Case")),
              QStringLiteral("CS    - Case"));
    EXPECT_EQ(UomEntryFromLine(QStringLiteral("[CODE]3 [LABEL]CS   [DESC]Case  ")),
              QStringLiteral("CS    - Case"));
}

TEST(UomEntryFromLine, LongLabelIsCutAndMissingDescriptionLeavesTheDash) {
    EXPECT_EQ(UomEntryFromLine(QStringLiteral("[LABEL]DOZENS[DESC]Dozen")),
              QStringLiteral("DOZEN - Dozen"));
    EXPECT_EQ(UomEntryFromLine(QStringLiteral("[CODE]4[LABEL]PK")), QStringLiteral("PK    - "));
    EXPECT_EQ(UomEntryFromLine(QStringLiteral("[DESC]Bottle")), QStringLiteral("      - Bottle"));
}

TEST(UomEntryFromLine, LinesWithoutLabelOrDescriptionGiveNothing) {
    EXPECT_EQ(UomEntryFromLine(QString()), QString());
    EXPECT_EQ(UomEntryFromLine(QStringLiteral("[CODE]7")), QString());
    EXPECT_EQ(UomEntryFromLine(QStringLiteral("CS Case")), QString());
}

TEST(ReadUomFile, MissingFileGivesTheSingleDefault) {
    Sandbox sb;
    sb.makeDir(kFolder);
    const UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, QStringList{QStringLiteral("EA   - Each")});
    EXPECT_TRUE(f.problem.isEmpty());
}

TEST(ReadUomFile, OneEntryPerLineInFileOrderWithAnyNameCase) {
    Sandbox sb;
    sb.writeFile(kFolder + QStringLiteral("\\UOM.VOR"),
                 "[CODE]1[LABEL]EA[DESC]Each\r\n[CODE]3[LABEL]CS[DESC]Case\r\n"
                 "[CODE]4[LABEL]PK[DESC]Pack of six\r\n");
    const UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries,
              (QStringList{QStringLiteral("EA    - Each"), QStringLiteral("CS    - Case"),
                           QStringLiteral("PK    - Pack of six")}));
    EXPECT_TRUE(f.problem.isEmpty());
}

TEST(ReadUomFile, EmptyFileGivesAnEmptyListNotTheDefault) {
    Sandbox sb;
    sb.writeFile(kFolder + QStringLiteral("\\uom.vor"), "");
    const UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_TRUE(f.entries.isEmpty());
    EXPECT_TRUE(f.problem.isEmpty());
}

TEST(ReadUomFile, GarbledLinesAreLeftOutAndReported) {
    Sandbox sb;
    sb.writeFile(kFolder + QStringLiteral("\\uom.vor"),
                 "\x01\x02garbage\n[LABEL]CS[DESC]Case\n\n[CODE]9\n");
    const UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, QStringList{QStringLiteral("CS    - Case")});
    EXPECT_TRUE(f.problem.startsWith(QStringLiteral("2 line(s) of the unit of measure file")))
        << f.problem.toStdString();
    EXPECT_TRUE(f.problem.endsWith(QStringLiteral("(the first is line 1).")));
}

TEST(FindUomEntry, MatchesOnTheFirstFiveCharacters) {
    const QStringList entries{QStringLiteral("EA    - Each"), QStringLiteral("CS    - Case")};
    EXPECT_EQ(FindUomEntry(entries, QStringLiteral("CS   ")), 1);
    EXPECT_EQ(FindUomEntry(entries, QStringLiteral("CS")), 1);
    EXPECT_EQ(FindUomEntry(entries, QStringLiteral("     ")), 0);
    EXPECT_EQ(FindUomEntry(entries, QStringLiteral("BX")), -1);
    EXPECT_EQ(FindUomEntry(QStringList(), QString()), -1);
}

TEST(UomDescription, TextAfterTheSeparator) {
    EXPECT_EQ(UomDescription(QStringLiteral("CS    - Case")), QStringLiteral("Case"));
    EXPECT_EQ(UomDescription(QStringLiteral("6-PK  - Six pack")), QStringLiteral("Six pack"));
    EXPECT_EQ(UomDescription(QStringLiteral("odd-one")), QStringLiteral("one"));
    EXPECT_EQ(UomDescription(QStringLiteral("plain")), QStringLiteral("plain"));
}

}  // namespace
}  // namespace qv::test
