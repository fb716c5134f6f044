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
