// The INI services on VOR.INI and the country settings from Country.set.

#include "settings/country_settings.h"
#include "settings/ini_services.h"
#include "tests/support/data_files.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace qv {
namespace {

using test::BoxShown;

const QString kIni = QStringLiteral("C:\\KT\\VOR.INI");

// A sandbox with VOR.INI in place and an INI object pointed at it.
struct IniFixture {
    explicit IniFixture(const QByteArray& content) {
        sb.writeFile(kIni, content);
        ini.File_Name(kIni);
    }
    test::Sandbox sb;
    clsINI_Services ini{sb.fs, sb.boxes};
};

QString text(bool b) {
    return b ? QStringLiteral("true") : QStringLiteral("false");
}
QString text(const QString& s) {
    return u'"' +
           QString(s).replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n")) +
           u'"';
}
QString text(const QByteArray& bytes) {
    return text(QString::fromUtf8(bytes));
}
QString text(const std::optional<QStringList>& l) {
    return l ? QStringLiteral("%1 [%2]").arg(l->size()).arg(l->join(u'|'))
             : QStringLiteral("(nothing)");
}
QString text(const std::optional<IniTable>& t) {
    if (!t) {
        return QStringLiteral("(nothing)");
    }
    QStringList rows;
    for (const auto& [a, b] : *t) {
        rows << a + u'=' + b;
    }
    return QStringLiteral("%1 [%2]").arg(rows.size()).arg(rows.join(u'|'));
}
TEST(IniServices, EveryCallAnswersAndWritesAsTheGoldenTextSays) {
    std::unique_ptr<IniFixture> f;
    QString out;
    for (const test::Case& c : test::Cases("settings/ini_calls.steps")) {
        SCOPED_TRACE(c.where());
        const QString verb = c.text(0);
        const QString a = c.text(1);
        const QString b = c.text(2);
        const QString d = c.text(3);
        const ProfileText key = c.opt(2);
        const ProfileText value = c.opt(3);
        QString result;
        if (verb == u"fresh") {
            f = std::make_unique<IniFixture>(c.bytes(1));
        } else if (verb == u"write") {
            f->sb.writeFile(kIni, c.bytes(1));
        } else if (verb == u"remove" || verb == u"rmdir") {
            QFile::remove(f->sb.native(kIni));
            if (verb == u"rmdir") {
                QDir().rmdir(QFileInfo(f->sb.native(kIni)).absolutePath());
            }
        } else if (verb == u"name") {
            f->ini.File_Name(c.has(1) ? a : QString());
        } else if (verb == u"noboxes") {
            EXPECT_TRUE(f->sb.boxes.shown().empty());
        } else {
            result =
                verb == u"read"                        ? text(f->sb.readFile(kIni))
                : verb == u"isfile"                    ? text(f->sb.fs.fileExists(a))
                : verb == u"isdir"                     ? text(f->sb.fs.dirExists(a))
                : verb == u"FileOpen"                  ? text(f->ini.FileOpen())
                : verb == u"File"                      ? text(f->ini.File())
                : verb == u"GetAllSections"            ? text(f->ini.GetAllSections())
                : verb == u"GetAllKeysInSection"       ? text(f->ini.GetAllKeysInSection(a))
                : verb == u"GetAllKeysValuesInSection" ? text(f->ini.GetAllKeysValuesInSection(a))
                : verb == u"FindKeyInFile"             ? text(f->ini.FindKeyInFile(a))
                : verb == u"FindKeyInSection"          ? text(f->ini.FindKeyInSection(a, b))
                : verb == u"FindValueInSection"        ? text(f->ini.FindValueInSection(a, b))
                : verb == u"FindValueInFile"           ? text(f->ini.FindValueInFile(a))
                : verb == u"RenameSection"             ? text(f->ini.RenameSection(a, b))
                : verb == u"RenameKey"                 ? text(f->ini.RenameKey(a, b, d))
                : verb == u"DeleteData"                ? text(f->ini.DeleteData(a, key, value))
                : verb == u"WriteData"
                    ? text(f->ini.WriteData(a, key.value_or(QString()), value.value_or(QString())))
                : verb == u"GetValue" ? text(f->ini.GetValue(c.has(1) ? a : QString(), b, d))
                : verb == u"GetValueUnnamed"
                    ? text(clsINI_Services(f->sb.fs, f->sb.boxes).GetValue(a, b, d))
                    : QStringLiteral("(no such call)");
            QStringList args = c.from(1);
            for (int i = 1; i < static_cast<int>(c.cells.size()); ++i) {
                args[i - 1] = c.has(i) ? text(args[i - 1]) : QStringLiteral("-");
            }
            out += verb + u'(' + args.join(QStringLiteral(", ")) + QStringLiteral(") -> ") +
                   (result.size() > 300 ? result.left(300) + QStringLiteral("...") : result) +
                   u'\n';
        }
    }
    test::ExpectGolden("settings/ini_calls.txt", out);
}

class IniErrors : public ::testing::Test {
protected:
    IniErrors() {
        sb.writeFile(kIni, before);
        ini.File_Name(kIni);
        fs.failReads = true;
    }

    const QByteArray before = "[S]\r\nk=v\r\n";
    test::Sandbox sb;
    test::FaultyFileSystem fs{sb.fs};
    clsINI_Services ini{fs, sb.boxes};
};

TEST_F(IniErrors, AnUnreadableFileShowsOneBoxNamingTheOperationAndIsLeftAlone) {
    const QString denied = QStringLiteral("Error Number: 70\r\nPermission denied");
    const struct {
        const char* context;  // the box's last line, after a blank line
        std::function<bool()> failed;
    } ops[] = {
        {"Get Value Class ini", [&] { return ini.GetValue("S", "k", "d") == QString(); }},
        {"GetAllSections Class INI ", [&] { return !ini.GetAllSections(); }},
        {"KeysIn Section Class INI", [&] { return !ini.GetAllKeysInSection("S"); }},
        {"Get All KeyValues Class INI", [&] { return !ini.GetAllKeysValuesInSection("S"); }},
        {"Find Key IN File Class ini", [&] { return !ini.FindKeyInFile("k"); }},
        {"Find Key In Section Class INI", [&] { return !ini.FindKeyInSection("S", "k"); }},
        {"Find Value in Section", [&] { return !ini.FindValueInSection("S", "v"); }},
        {"Write Date Class INI", [&] { return !ini.WriteData("S", "k", "new"); }},
        {"Delete Data Class INI", [&] { return !ini.DeleteData("S", std::nullopt, std::nullopt); }},
        // Built on the list of sections, it shows that list's box.
        {"GetAllSections Class INI ", [&] { return !ini.FindValueInFile("v"); }},
        // Renames show the box without a context line.
        {nullptr, [&] { return !ini.RenameSection("S", "T"); }},
        {nullptr, [&] { return !ini.RenameKey("S", "k", "j"); }},
    };
    for (const auto& op : ops) {
        SCOPED_TRACE(op.context ? op.context : "rename");
        sb.boxes.clear();
        sb.boxes.expectAny();
        EXPECT_TRUE(op.failed());
        ASSERT_TRUE(BoxShown(sb.boxes, 0, 16, "INI Class"));
        EXPECT_EQ(sb.boxes.shown()[0].text, op.context ? denied + "\r\n\r\n" + op.context : denied);
    }
    EXPECT_EQ(fs.replaceCalls, 0);
    EXPECT_EQ(sb.readFile(kIni), before);
}

TEST_F(IniErrors, AFolderInPlaceOfTheFileIsAnAccessErrorAndAMissingFileNoError) {
    fs.failReads = false;
    QFile::remove(sb.native(kIni));
    EXPECT_EQ(ini.GetValue("S", "k", "d"), "d");
    EXPECT_EQ(ini.GetAllSections(), QStringList{""});
    EXPECT_TRUE(sb.boxes.shown().empty());

    sb.makeDir(kIni);
    sb.boxes.expectAny();
    EXPECT_EQ(ini.GetValue("S", "k", "d"), QString());
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].text,
              "Error Number: 75\r\nPath/File access error\r\n\r\nGet Value Class ini");
}

const QString kDataFile = QStringLiteral("C:\\KT\\Country.set");
const QString kMissingText =
    QStringLiteral("The Country Settings File cannot be found. Default Settings will be used");

// A file as the suite ships it: an index of countries, then one block per country.
const QByteArray kCountrySet = test::ReadData("settings/Country.set");

CommonRates country(std::int16_t number, std::array<float, 5> rates = {}) {
    CommonRates c;
    c.CountryNumber = number;
    c.TaxRate = rates;
    return c;
}

Currency money(QStringView text) {
    const std::optional<Currency> c = Currency::fromText(text);
    EXPECT_TRUE(c.has_value()) << text.toString().toStdString();
    return c.value_or(Currency());
}

// The values read from the file: symbol, tax included, tax label, rounding, drawers, check
// label and GST change date.
QString Values(const CountrySettings& s) {
    return QStringList{s.CurrencySymbol,
                       s.IncludeTaxInPrice ? "y" : "n",
                       s.TaxLabel,
                       QString::number(s.RoundTo),
                       QString::number(s.DrawerCount),
                       s.CheckLabel,
                       s.GstChangeDate}
        .join(u'|');
}
const QString kDefaults = QStringLiteral("$|n|   |0|0||");

class CountrySettingsTest : public ::testing::Test {
protected:
    CountrySettingsTest() { run.DataPath = QStringLiteral("C:\\KT"); }

    // Fresh settings loaded for a country, with this "Country.set" in the data folder.
    CountrySettings load(const QByteArray& file, std::int16_t number) {
        sandbox.writeFile(kDataFile, file);
        CountrySettings s(sandbox.services, run);
        s.LoadCountrySettings(country(number));
        return s;
    }
    QString programFile() const {
        return QDir(sandbox.app.programFolder).filePath(QStringLiteral("Country.set"));
    }

    test::Sandbox sandbox;
    RunValues run;
    CountrySettings settings{sandbox.services, run};
};

// ---- Loading -------------------------------------------------------------------------------

TEST_F(CountrySettingsTest, EachCountryReadsEveryValueOfItsOwnBlock) {
    // The tax label is cut to three; "Round" is not Y for 1; New Zealand's block has no "Check".
    for (const auto& [number, values] :
         {std::pair{44, "\u00A3|y|VAT|5|12|Cheque|"}, std::pair{1, "$|n|Sal|0|1|Check|"},
          std::pair{64, "$|y|GST|0|2||20101001"}}) {
        EXPECT_EQ(Values(load(kCountrySet, static_cast<std::int16_t>(number))), values) << number;
    }
    EXPECT_TRUE(sandbox.boxes.shown().empty());
}

TEST_F(CountrySettingsTest, ValuesAndSettingsFollowTheFileRules) {
    for (const test::Case& c : test::Cases("settings/country_values.cases")) {
        const CountrySettings s = load(c.bytes(0), static_cast<std::int16_t>(c.num(1)));
        const QString field = c.text(2);
        const QString value = field == u"GstChangeDate"    ? s.GstChangeDate
                              : field == u"TaxLabel"       ? s.TaxLabel
                              : field == u"CurrencySymbol" ? s.CurrencySymbol
                              : field == u"CheckLabel"     ? s.CheckLabel
                              : field == u"DrawerCount"    ? QString::number(s.DrawerCount)
                              : field == u"RoundTo"        ? QString::number(s.RoundTo)
                                                           : (s.IncludeTaxInPrice ? "y" : "n");
        EXPECT_EQ(value, c.text(3)) << c.where();
    }
    for (const test::Case& c : test::Cases("settings/country_setting.cases")) {
        sandbox.writeFile(kDataFile, c.text(0) == u"Country.set" ? kCountrySet : c.bytes(0));
        EXPECT_EQ(settings.GetCountrySetting(static_cast<std::int16_t>(c.num(1)), c.text(2)),
                  c.text(3))
            << c.where();
    }
    EXPECT_TRUE(sandbox.boxes.shown().empty());
}

// ---- Missing file --------------------------------------------------------------------------

TEST_F(CountrySettingsTest, MissingInBothFoldersShowsOneBoxAndKeepsDefaults) {
    sandbox.makeDir("C:\\KT");
    sandbox.boxes.expect(kMissingText);
    settings.LoadCountrySettings(country(44, {5, 0, 0, 0, 0}));

    EXPECT_TRUE(BoxShown(sandbox.boxes, 0, box::Ok, "Settings File Missing"));
    EXPECT_EQ(Values(settings), kDefaults);
    EXPECT_FALSE(sandbox.fs.fileExists(kDataFile));
    EXPECT_FLOAT_EQ(settings.TaxRateForCode("A"), 5.0f);  // the rates are still taken

    // Asked for one setting, it reports the missing file each time.
    sandbox.boxes.expect(kMissingText).expect(kMissingText);
    EXPECT_EQ(settings.GetCountrySetting(44, "Check"), "NOT FOUND");
    EXPECT_EQ(settings.GetCountrySetting(44, "Round"), "NOT FOUND");
    EXPECT_EQ(sandbox.boxes.shown().size(), 3u);
}

TEST_F(CountrySettingsTest, TheProgramFolderCopyIsCopiedInOnlyWhenTheDataFolderLacksIt) {
    sandbox.makeDir("C:\\KT");
    sandbox.writeFile(programFile(), kCountrySet);
    settings.LoadCountrySettings(country(44));
    EXPECT_TRUE(sandbox.boxes.shown().empty());
    EXPECT_EQ(sandbox.readFile(kDataFile), kCountrySet);
    EXPECT_EQ(settings.TaxLabel, "VAT");
    EXPECT_EQ(settings.CheckLabel, "Cheque");

    EXPECT_EQ(load("[Country]44\n[Label For Tax]OWN\n", 44).TaxLabel, "OWN");
    EXPECT_EQ(sandbox.readFile(kDataFile), QByteArray("[Country]44\n[Label For Tax]OWN\n"));
}

TEST_F(CountrySettingsTest, CountryZeroOrBelowReadsNothingAndShowsNoBox) {
    sandbox.makeDir("C:\\KT");
    sandbox.writeFile(programFile(), kCountrySet);
    settings.CurrencySymbol = QStringLiteral("#");
    settings.LoadCountrySettings(country(0, {7, 0, 0, 0, 0}));
    EXPECT_EQ(Values(settings), kDefaults);
    EXPECT_FLOAT_EQ(settings.TaxRateForCode("A"), 7.0f);
    settings.LoadCountrySettings(country(-3));
    EXPECT_TRUE(sandbox.boxes.shown().empty());
    EXPECT_FALSE(sandbox.fs.fileExists(kDataFile));  // not even copied
}

TEST_F(CountrySettingsTest, UnreadableFileIsReportedOnceAndKeepsDefaults) {
    sandbox.writeFile(kDataFile, kCountrySet);
    test::FaultyFileSystem fs(sandbox.fs);
    fs.failReads = true;
    fs.readError = QStringLiteral("Permission denied");
    Services services{sandbox.boxes, sandbox.settings, fs, sandbox.app};
    CountrySettings s(services, run);
    sandbox.boxes.expect(kMissingText);
    s.LoadCountrySettings(country(44));

    EXPECT_EQ(sandbox.boxes.shown().size(), 1u);
    EXPECT_EQ(Values(s), kDefaults);
}

// ---- Tax rates and prices ------------------------------------------------------------------

TEST_F(CountrySettingsTest, EveryTaxCodeSumsItsRatesInSinglePrecision) {
    settings.setRates(country(0, {1, 2, 4, 8, 16}));
    for (const test::Case& c : test::Cases("settings/tax_codes.cases")) {
        EXPECT_EQ(settings.TaxRateForCode(c.text(0)), static_cast<float>(c.real(1))) << c.where();
    }
    settings.setRates(country(0, {0.1f, 0.2f, 0.7f, 1e8f, 1.0f}));
    // In single precision 1e8 + 1 is still 1e8; in double it would not be.
    EXPECT_EQ(settings.TaxRateForCode("O"), 1e8f);
}

TEST_F(CountrySettingsTest, PricesWithAndWithoutTaxFollowTheirTable) {
    for (const test::Case& c : test::Cases("settings/country_prices.cases")) {
        SCOPED_TRACE(c.where());
        std::array<float, 5> rates{};
        for (int i = 0; i < 5; ++i) {
            rates[i] = c.list(1)[i].toFloat();
        }
        settings.setRates(country(1, rates));
        settings.GstChangeDate = c.text(2);
        const QString call = c.text(0);
        if (call == u"tax") {
            EXPECT_FLOAT_EQ(settings.TaxOnPrice(c.text(3), c.text(4)), c.real(6));
            continue;
        }
        const std::optional<Currency> result =
            call == u"with" ? settings.PriceWithTax(money(c.text(3)), c.text(4), c.text(5))
                            : std::optional(settings.PriceWithoutTax(money(c.text(3)), c.text(4)));
        EXPECT_EQ(result, c.has(6) ? std::optional(money(c.text(6))) : std::nullopt);
    }
    // The change date read from the file does the same.
    sandbox.writeFile(kDataFile, kCountrySet);
    CountrySettings fromFile(sandbox.services, run);
    fromFile.LoadCountrySettings(country(64, {0, 15, 0, 0, 0}));
    EXPECT_EQ(fromFile.PriceWithTax(money(u"10.00"), "B", "20100930")->toText(), "11.25");
    EXPECT_EQ(fromFile.PriceWithTax(money(u"10.00"), "B", "20101001")->toText(), "11.50");
}

}  // namespace
}  // namespace qv
