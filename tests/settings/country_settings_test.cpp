#include "settings/country_settings.h"

#include "tests/support/data_files.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"

#include <gtest/gtest.h>
#include <QDir>

namespace qv {
namespace {

using test::BoxShown;

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

Currency money(const char16_t* text) {
    return *Currency::fromText(text);
}

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
    const struct {
        std::int16_t number;
        const char* symbol;
        bool includeTax;
        const char* label;
        std::int16_t roundTo;
        std::int16_t drawers;
        const char* check;
        const char* gstDate;
    } cases[] = {
        {44, "\xC2\xA3", true, "VAT", 5, 12, "Cheque", ""},
        {1, "$", false, "Sal", 0, 1, "Check", ""},     // label cut to three; "Round" is not Y
        {64, "$", true, "GST", 0, 2, "", "20101001"},  // New Zealand; its block has no "Check"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const CountrySettings s = load(kCountrySet, c.number);
        EXPECT_EQ(s.CurrencySymbol, QString::fromUtf8(c.symbol));
        EXPECT_EQ(s.IncludeTaxInPrice, c.includeTax);
        EXPECT_EQ(s.TaxLabel, c.label);
        EXPECT_EQ(s.RoundTo, c.roundTo);
        EXPECT_EQ(s.DrawerCount, c.drawers);
        EXPECT_EQ(s.CheckLabel, c.check);
        EXPECT_EQ(s.GstChangeDate, c.gstDate);
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
    EXPECT_EQ(settings.CurrencySymbol, "$");
    EXPECT_FALSE(settings.IncludeTaxInPrice);
    EXPECT_EQ(settings.TaxLabel, "   ");
    EXPECT_EQ(settings.RoundTo, 0);
    EXPECT_EQ(settings.DrawerCount, 0);
    EXPECT_EQ(settings.CheckLabel, "");
    EXPECT_EQ(settings.GstChangeDate, "");
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
    EXPECT_EQ(settings.CurrencySymbol, "$");
    EXPECT_EQ(settings.TaxLabel, "   ");
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
    EXPECT_EQ(s.CurrencySymbol, "$");
    EXPECT_EQ(s.TaxLabel, "   ");
    EXPECT_EQ(s.CheckLabel, "");
    EXPECT_EQ(s.DrawerCount, 0);
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

TEST_F(CountrySettingsTest, TaxedSalesBeforeTheGstChangeDateUseTheOldRate) {
    settings.setRates(country(64, {0, 15, 0, 0, 0}));
    settings.GstChangeDate = QStringLiteral("20101001");
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20100930"), money(u"11.25"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20101001"), money(u"11.50"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20110101"), money(u"11.50"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", ""), money(u"11.50"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "A", "20100930"), money(u"10.00"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "q", "20100930"), money(u"10.00"));

    // The date read from the file does the same.
    sandbox.writeFile(kDataFile, kCountrySet);
    CountrySettings fromFile(sandbox.services, run);
    fromFile.LoadCountrySettings(country(64, {0, 15, 0, 0, 0}));
    EXPECT_EQ(fromFile.PriceWithTax(money(u"10.00"), "B", "20100930")->toText(), "11.25");
    EXPECT_EQ(fromFile.PriceWithTax(money(u"10.00"), "B", "20101001")->toText(), "11.50");
}

TEST_F(CountrySettingsTest, PriceWithTaxRoundsToFourPlacesAndReportsOverflow) {
    settings.setRates(country(1, {8.25f, 12.5f, 50, 0, 0}));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "A", "19990101"), money(u"10.825"));
    EXPECT_EQ(settings.PriceWithTax(money(u"-4.00"), "A", ""), money(u"-4.33"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.01"), "A", ""), money(u"10.8358"));    // ..825
    EXPECT_EQ(settings.PriceWithTax(Currency::fromScaled(1), "B", "")->scaled(), 1);  // 1.125
    EXPECT_EQ(settings.PriceWithTax(Currency::fromScaled(7), "B", "")->scaled(), 8);  // 7.875
    EXPECT_FALSE(settings.PriceWithTax(Currency::fromUnits(800000000000000), "C", "").has_value());
}

TEST_F(CountrySettingsTest, TaxOnPriceAndPriceWithoutTax) {
    settings.setRates(country(1, {0, 15, 8.25f, 0, 0}));
    EXPECT_FLOAT_EQ(settings.TaxOnPrice("10.00", "B"), 1.5f);
    EXPECT_FLOAT_EQ(settings.TaxOnPrice(" 20", "C"), 1.65f);
    EXPECT_FLOAT_EQ(settings.TaxOnPrice("10.00", "J"), 2.325f);
    EXPECT_EQ(settings.TaxOnPrice("10.00", "A"), 0.0f);
    EXPECT_EQ(settings.TaxOnPrice("$10.00", "B"), 0.0f);  // Val stops at "$"
    EXPECT_EQ(settings.TaxOnPrice("", "B"), 0.0f);

    EXPECT_EQ(settings.PriceWithoutTax(money(u"11.50"), "B"), money(u"10"));
    EXPECT_EQ(settings.PriceWithoutTax(money(u"10.83"), "C"), money(u"10.0046"));
    EXPECT_EQ(settings.PriceWithoutTax(money(u"-11.50"), "B"), money(u"-10"));
    // Untaxed amounts stay exact: no round trip through a double.
    const Currency odd = Currency::fromScaled(123456789);
    EXPECT_EQ(settings.PriceWithoutTax(odd, "A"), odd);
    EXPECT_EQ(settings.PriceWithoutTax(odd, " "), odd);
    const Currency max = Currency::fromScaled(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(settings.PriceWithoutTax(max, "A"), max);
}

}  // namespace
}  // namespace qv
