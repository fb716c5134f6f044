#include "settings/country_settings.h"

#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QDir>

namespace qv {
namespace {

const QString kDataFile = QStringLiteral("C:\\KT\\Country.set");
const QString kMissingTitle = QStringLiteral("Settings File Missing");
const QString kMissingText =
    QStringLiteral("The Country Settings File cannot be found. Default Settings will be used");

// A file as the suite ships it: an index of countries, then one block per country.
const QByteArray kCountrySet =
    "[CountryNumber]1 [CountryName]United States\r\n"
    "[CountryNumber]44 [CountryName]United Kingdom\r\n"
    "[CountryNumber]64 [CountryName]New Zealand\r\n"
    "\r\n"
    "[Country]1\r\n"
    "[Currency Symbol]$\r\n"
    "[Include Tax in Displayed Price]N\r\n"
    "[Label For Tax]Sales Tax\r\n"
    "[Round]N\r\n"
    "[Round To]5\r\n"
    "[DrawerCount]Yes  1\r\n"
    "[Check]Check\r\n"
    "[Country]44\r\n"
    "[Currency Symbol]\xC2\xA3\r\n"
    "[Include Tax in Displayed Price]Y\r\n"
    "[Label For Tax]VAT   \r\n"
    "[Round]Y\r\n"
    "[Round To]5\r\n"
    "[DrawerCount]Yes 12\r\n"
    "[Check]Cheque\r\n"
    "[Country]64\r\n"
    "[Currency Symbol]$\r\n"
    "[Include Tax in Displayed Price]Y\r\n"
    "[Label For Tax]GST\r\n"
    "[DrawerCount]Yes  2\r\n";

CommonRates country(std::int16_t number, std::array<float, 5> rates = {}) {
    CommonRates c;
    c.CountryNumber = number;
    c.TaxRate = rates;
    return c;
}

class CountrySettingsTest : public ::testing::Test {
protected:
    CountrySettingsTest() { run.DataPath = QStringLiteral("C:\\KT"); }

    void writeDataFile(const QByteArray& content) { sandbox.writeFile(kDataFile, content); }
    QString programFile() const {
        return QDir(sandbox.app.programFolder).filePath(QStringLiteral("Country.set"));
    }

    test::Sandbox sandbox;
    RunValues run;
    CountrySettings settings{sandbox.services, run};
};

// ---- Loading -------------------------------------------------------------------------------

TEST_F(CountrySettingsTest, LoadsEveryValueOfTheCountrysBlock) {
    writeDataFile(kCountrySet);
    settings.LoadCountrySettings(country(44));

    EXPECT_EQ(settings.CurrencySymbol, QString::fromUtf8("\xC2\xA3"));
    EXPECT_TRUE(settings.IncludeTaxInPrice);
    EXPECT_EQ(settings.TaxLabel, "VAT");
    EXPECT_EQ(settings.RoundTo, 5);
    EXPECT_EQ(settings.DrawerCount, 12);
    EXPECT_EQ(settings.CheckLabel, "Cheque");
    EXPECT_EQ(settings.GstChangeDate, "");
    EXPECT_TRUE(sandbox.boxes.shown().empty());
}

TEST_F(CountrySettingsTest, AnotherCountryReadsOnlyItsOwnBlock) {
    writeDataFile(kCountrySet);
    settings.LoadCountrySettings(country(1));

    EXPECT_EQ(settings.CurrencySymbol, "$");
    EXPECT_FALSE(settings.IncludeTaxInPrice);
    EXPECT_EQ(settings.TaxLabel, "Sal");  // cut to three characters
    EXPECT_EQ(settings.RoundTo, 0);       // "Round" is not Y
    EXPECT_EQ(settings.DrawerCount, 1);
    EXPECT_EQ(settings.CheckLabel, "Check");
}

TEST_F(CountrySettingsTest, NewZealandGetsTheGstChangeDate) {
    writeDataFile(kCountrySet);
    settings.LoadCountrySettings(country(64));

    EXPECT_EQ(settings.GstChangeDate, "20101001");
    EXPECT_EQ(settings.TaxLabel, "GST");
    EXPECT_TRUE(settings.IncludeTaxInPrice);
    EXPECT_EQ(settings.DrawerCount, 2);
    EXPECT_EQ(settings.CheckLabel, "");  // its block has no "Check"
    EXPECT_EQ(settings.RoundTo, 0);
}

TEST_F(CountrySettingsTest, GstDateNeedsTheExactNameAndTheSameNumber) {
    writeDataFile(
        "[CountryNumber]61 [CountryName]New Zealand\r\n"  // another number
        "[CountryNumber]64 [CountryName]new zealand\r\n"  // case differs
        "[Country]64\r\n"
        "[Label For Tax]GST\r\n");
    settings.LoadCountrySettings(country(64));
    EXPECT_EQ(settings.GstChangeDate, "");
    EXPECT_EQ(settings.TaxLabel, "GST");

    CountrySettings other(sandbox.services, run);
    writeDataFile("[CountryNumber]64[CountryName]New Zealand   \n[Country]64\n");
    other.LoadCountrySettings(country(64));
    EXPECT_EQ(other.GstChangeDate, "20101001");
}

TEST_F(CountrySettingsTest, ShortLabelIsPaddedAndMissingLabelStaysBlank) {
    writeDataFile(
        "[Country]7\n[Label For Tax]T\n"
        "[Country]8\n[Currency Symbol]R\n");
    settings.LoadCountrySettings(country(7));
    EXPECT_EQ(settings.TaxLabel, "T  ");

    CountrySettings eight(sandbox.services, run);
    eight.LoadCountrySettings(country(8));
    EXPECT_EQ(eight.TaxLabel, "   ");
    EXPECT_EQ(eight.CurrencySymbol, "R");
}

TEST_F(CountrySettingsTest, CurrencySymbolOfTwoCharactersIsIgnored) {
    writeDataFile(
        "[Country]27\n[Currency Symbol]R$\n"
        "[Country]28\n[Currency Symbol] $\n");  // the leading blank counts
    settings.LoadCountrySettings(country(27));
    EXPECT_EQ(settings.CurrencySymbol, "$");

    CountrySettings other(sandbox.services, run);
    other.LoadCountrySettings(country(28));
    EXPECT_EQ(other.CurrencySymbol, "$");
}

TEST_F(CountrySettingsTest, TwoBlocksForTheSameCountryReadOnlyTheFirst) {
    writeDataFile(
        "[Country]44\n"
        "[Currency Symbol]L\n"
        "[Label For Tax]VAT\n"
        "[Country]44\n"
        "[Currency Symbol]X\n"
        "[Label For Tax]TVA\n"
        "[Check]Cheque\n");
    settings.LoadCountrySettings(country(44));

    EXPECT_EQ(settings.CurrencySymbol, "L");
    EXPECT_EQ(settings.TaxLabel, "VAT");
    EXPECT_EQ(settings.CheckLabel, "");  // only the second block has it
    EXPECT_EQ(settings.GetCountrySetting(44, "Check"), "NOT FOUND");
}

TEST_F(CountrySettingsTest, KeyMissingFromTheBlockIsNotFound) {
    writeDataFile(kCountrySet);
    EXPECT_EQ(settings.GetCountrySetting(64, "Check"), "NOT FOUND");  // only later blocks
    EXPECT_EQ(settings.GetCountrySetting(64, "Round"), "NOT FOUND");
    EXPECT_EQ(settings.GetCountrySetting(99, "Currency Symbol"), "NOT FOUND");
    EXPECT_EQ(settings.GetCountrySetting(44, "currency symbol"), "NOT FOUND");  // exact case
    EXPECT_EQ(settings.GetCountrySetting(44, "Check"), "Cheque");
    EXPECT_EQ(settings.GetCountrySetting(1, "Label For Tax"), "Sales Tax");
}

TEST_F(CountrySettingsTest, NonNumericCountryNumbersMatchNothing) {
    writeDataFile(
        "[Country]NZ\n[Label For Tax]BAD\n"
        "[Country]\n[Label For Tax]BAD\n"
        "[Country] 064 \n[Label For Tax]GST\n");
    EXPECT_EQ(settings.GetCountrySetting(64, "Label For Tax"), "GST");
    EXPECT_EQ(settings.GetCountrySetting(0, "Label For Tax"), "NOT FOUND");
}

TEST_F(CountrySettingsTest, DrawerCountTakesCharactersFiveAndSix) {
    const struct {
        const char* value;
        std::int16_t expected;
    } cases[] = {
        {"Yes  3", 3},    {"Yes 12", 12}, {"ABCD 7", 7},
        {"ABCD07xyz", 7}, {"ABCD7 ", 0},  // trailing blanks are cut: five characters are left
        {"Yes 2", 0},                     // five characters: left as it was
        {"Yes  x", 0},                    // not a number
        {"Yes -1", 0},                    // not a count
        {"Yes 1.", 1},
    };
    for (const auto& c : cases) {
        writeDataFile(QByteArray("[Country]5\n[DrawerCount]") + c.value + "\n");
        CountrySettings s(sandbox.services, run);
        s.LoadCountrySettings(country(5));
        EXPECT_EQ(s.DrawerCount, c.expected) << c.value;
    }
}

TEST_F(CountrySettingsTest, RoundToNeedsRoundYAndAWholeNumber) {
    const struct {
        const char* block;
        std::int16_t expected;
    } cases[] = {
        {"[Round]Y\n[Round To]10\n", 10},
        {"[Round]y\n[Round To]10\n", 0},
        {"[Round To]10\n", 0},
        {"[Round]Y\n[Round To]ten\n", 0},
        {"[Round]Y\n[Round To]2.5\n", 0},
        {"[Round]Y\n[Round To]99999\n", 0},
        {"[Round]Y\n", 0},
    };
    for (const auto& c : cases) {
        writeDataFile(QByteArray("[Country]3\n") + c.block);
        CountrySettings s(sandbox.services, run);
        s.LoadCountrySettings(country(3));
        EXPECT_EQ(s.RoundTo, c.expected) << c.block;
    }
}

TEST_F(CountrySettingsTest, IncludeTaxNeedsAnExactY) {
    writeDataFile("[Country]3\n[Include Tax in Displayed Price]Yes\n");
    settings.IncludeTaxInPrice = true;
    settings.LoadCountrySettings(country(3));
    EXPECT_FALSE(settings.IncludeTaxInPrice);
}

// ---- Missing file --------------------------------------------------------------------------

TEST_F(CountrySettingsTest, MissingInBothFoldersShowsOneBoxAndKeepsDefaults) {
    sandbox.makeDir("C:\\KT");
    sandbox.boxes.expect(kMissingText);
    settings.LoadCountrySettings(country(44, {5, 0, 0, 0, 0}));

    ASSERT_EQ(sandbox.boxes.shown().size(), 1u);
    EXPECT_EQ(sandbox.boxes.shown()[0].style, box::Ok);
    EXPECT_EQ(sandbox.boxes.shown()[0].title, kMissingTitle);
    EXPECT_EQ(sandbox.boxes.shown()[0].text, kMissingText);
    EXPECT_EQ(settings.CurrencySymbol, "$");
    EXPECT_FALSE(settings.IncludeTaxInPrice);
    EXPECT_EQ(settings.TaxLabel, "   ");
    EXPECT_EQ(settings.RoundTo, 0);
    EXPECT_EQ(settings.DrawerCount, 0);
    EXPECT_EQ(settings.CheckLabel, "");
    EXPECT_EQ(settings.GstChangeDate, "");
    EXPECT_FALSE(sandbox.fs.fileExists(kDataFile));
    EXPECT_FLOAT_EQ(settings.TaxRateForCode("A"), 5.0f);  // the rates are still taken
}

TEST_F(CountrySettingsTest, GetCountrySettingOnAMissingFileReportsEachTime) {
    sandbox.boxes.expect(kMissingText).expect(kMissingText);
    EXPECT_EQ(settings.GetCountrySetting(44, "Check"), "NOT FOUND");
    EXPECT_EQ(settings.GetCountrySetting(44, "Round"), "NOT FOUND");
    EXPECT_EQ(sandbox.boxes.shown().size(), 2u);
}

TEST_F(CountrySettingsTest, CopiesTheFileFromTheProgramFolder) {
    sandbox.makeDir("C:\\KT");
    sandbox.writeFile(programFile(), kCountrySet);
    settings.LoadCountrySettings(country(44));

    EXPECT_TRUE(sandbox.boxes.shown().empty());
    EXPECT_EQ(sandbox.readFile(kDataFile), kCountrySet);
    EXPECT_EQ(settings.TaxLabel, "VAT");
    EXPECT_EQ(settings.CheckLabel, "Cheque");
}

TEST_F(CountrySettingsTest, DataFolderCopyWinsOverTheProgramFolder) {
    writeDataFile("[Country]44\n[Label For Tax]OWN\n");
    sandbox.writeFile(programFile(), kCountrySet);
    settings.LoadCountrySettings(country(44));
    EXPECT_EQ(settings.TaxLabel, "OWN");
    EXPECT_EQ(sandbox.readFile(kDataFile), QByteArray("[Country]44\n[Label For Tax]OWN\n"));
}

TEST_F(CountrySettingsTest, CountryZeroReadsNothingAndShowsNoBox) {
    sandbox.makeDir("C:\\KT");
    sandbox.writeFile(programFile(), kCountrySet);
    settings.CurrencySymbol = QStringLiteral("#");
    settings.LoadCountrySettings(country(0, {7, 0, 0, 0, 0}));

    EXPECT_EQ(settings.CurrencySymbol, "$");
    EXPECT_TRUE(sandbox.boxes.shown().empty());
    EXPECT_FALSE(sandbox.fs.fileExists(kDataFile));  // not even copied
    EXPECT_EQ(settings.TaxLabel, "   ");
    EXPECT_FLOAT_EQ(settings.TaxRateForCode("A"), 7.0f);
}

TEST_F(CountrySettingsTest, NegativeCountryReadsNothing) {
    settings.LoadCountrySettings(country(-3));
    EXPECT_TRUE(sandbox.boxes.shown().empty());
    EXPECT_EQ(settings.CurrencySymbol, "$");
}

// A file system whose reads fail, as for a file the user may not open.
class UnreadableFiles final : public FileSystem {
public:
    explicit UnreadableFiles(FileSystem& inner) : inner_(inner) {}
    QString nativePath(const QString& p) const override { return inner_.nativePath(p); }
    bool fileExists(const QString& p) const override { return inner_.fileExists(p); }
    bool dirExists(const QString& p) const override { return inner_.dirExists(p); }
    bool makeDir(const QString& p, QString* e) override { return inner_.makeDir(p, e); }
    bool copyFile(const QString& f, const QString& t, QString* e) override {
        return inner_.copyFile(f, t, e);
    }
    bool appendLine(const QString& p, const QString& l, QString* e) override {
        return inner_.appendLine(p, l, e);
    }
    std::optional<QByteArray> readAll(const QString&, QString* e) const override {
        if (e) {
            *e = QStringLiteral("Permission denied");
        }
        return std::nullopt;
    }
    bool replaceFile(const QString& p, const QByteArray& d, QString* e) override {
        return inner_.replaceFile(p, d, e);
    }

private:
    FileSystem& inner_;
};

TEST_F(CountrySettingsTest, UnreadableFileIsReportedOnceAndKeepsDefaults) {
    writeDataFile(kCountrySet);
    UnreadableFiles fs(sandbox.fs);
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

// ---- Tax rates -----------------------------------------------------------------------------

// Rates that are powers of two, so every sum names its rates and a swapped entry shows.
class TaxTable : public CountrySettingsTest {
protected:
    TaxTable() { settings.setRates(country(0, {1, 2, 4, 8, 16})); }
};

TEST_F(TaxTable, EveryCodeSumsItsRates) {
    const struct {
        const char* code;
        float rate;
    } table[] = {
        {"A", 1},  {"B", 2},  {"C", 4},  {"D", 8},  {"E", 16},  // R1..R5
        {"F", 3},  {"G", 5},  {"H", 9},  {"I", 17},             // R1 + one
        {"J", 6},  {"K", 10}, {"L", 18},                        // R2 + one
        {"M", 12}, {"N", 20}, {"O", 24},                        // R3+R4 ..
        {"P", 7},  {"Q", 11}, {"R", 19},                        // R1+R2+
        {"S", 13}, {"T", 21}, {"U", 25},                        // R1+R3+
        {"V", 14}, {"W", 22}, {"X", 26},                        // R2+..
        {"Y", 28},                                              // R3+R4+R5
        {"Z", 15}, {"a", 23}, {"b", 27}, {"c", 29},             // four
        {"d", 31},                                              // all five
    };
    for (const auto& entry : table) {
        EXPECT_EQ(settings.TaxRateForCode(entry.code), entry.rate) << entry.code;
    }
}

TEST_F(TaxTable, OtherCodesHaveNoTax) {
    for (const char* code : {"", " ", "e", "z", "f", "AB", "A ", "1", "-", "["}) {
        EXPECT_EQ(settings.TaxRateForCode(code), 0.0f) << "'" << code << "'";
    }
}

TEST_F(TaxTable, SumsAreSinglePrecision) {
    settings.setRates(country(0, {0.1f, 0.2f, 0.7f, 1e8f, 1.0f}));
    // In single precision 1e8 + 1 is still 1e8; in double it would not be.
    EXPECT_EQ(settings.TaxRateForCode("O"), 1e8f);
}

// ---- Prices --------------------------------------------------------------------------------

Currency money(const char16_t* text) {
    return *Currency::fromText(text);
}

TEST_F(CountrySettingsTest, GstRateBeforeTheChangeDate) {
    settings.setRates(country(64, {0, 15, 0, 0, 0}));
    settings.GstChangeDate = QStringLiteral("20101001");

    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20100930"), money(u"11.25"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20101001"), money(u"11.50"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20110101"), money(u"11.50"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", ""), money(u"11.50"));
}

TEST_F(CountrySettingsTest, GstDateComesFromTheFile) {
    writeDataFile(kCountrySet);
    settings.LoadCountrySettings(country(64, {0, 15, 0, 0, 0}));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20100930")->toText(), "11.25");
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "B", "20101001")->toText(), "11.50");
}

TEST_F(CountrySettingsTest, UntaxedCodeStaysUntaxedWhateverTheDate) {
    settings.setRates(country(64, {0, 15, 0, 0, 0}));
    settings.GstChangeDate = QStringLiteral("20101001");
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "A", "20100930"), money(u"10.00"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "A", "20101001"), money(u"10.00"));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "q", "20100930"), money(u"10.00"));
}

TEST_F(CountrySettingsTest, WithoutAChangeDateTheDateDoesNotMatter) {
    settings.setRates(country(1, {8.25f, 0, 0, 0, 0}));
    EXPECT_EQ(settings.PriceWithTax(money(u"10.00"), "A", "19990101"), money(u"10.825"));
    EXPECT_EQ(settings.PriceWithTax(money(u"-4.00"), "A", ""), money(u"-4.33"));
}

TEST_F(CountrySettingsTest, PriceWithTaxRoundsToFourPlaces) {
    settings.setRates(country(1, {12.5f, 8.25f, 0, 0, 0}));
    EXPECT_EQ(settings.PriceWithTax(Currency::fromScaled(1), "A", "")->scaled(), 1);  // 1.125
    EXPECT_EQ(settings.PriceWithTax(Currency::fromScaled(7), "A", "")->scaled(), 8);  // 7.875
    EXPECT_EQ(settings.PriceWithTax(money(u"10.01"), "B", ""), money(u"10.8358"));    // ..825
}

TEST_F(CountrySettingsTest, PriceWithTaxReportsOverflow) {
    settings.setRates(country(1, {50, 0, 0, 0, 0}));
    const Currency huge = Currency::fromUnits(800000000000000);
    EXPECT_FALSE(settings.PriceWithTax(huge, "A", "").has_value());
}

TEST_F(CountrySettingsTest, TaxOnPriceReadsThePriceText) {
    settings.setRates(country(1, {0, 15, 8.25f, 0, 0}));
    EXPECT_FLOAT_EQ(settings.TaxOnPrice("10.00", "B"), 1.5f);
    EXPECT_FLOAT_EQ(settings.TaxOnPrice(" 20", "C"), 1.65f);
    EXPECT_FLOAT_EQ(settings.TaxOnPrice("10.00", "J"), 2.325f);
    EXPECT_EQ(settings.TaxOnPrice("10.00", "A"), 0.0f);
    EXPECT_EQ(settings.TaxOnPrice("$10.00", "B"), 0.0f);  // Val stops at "$"
    EXPECT_EQ(settings.TaxOnPrice("", "B"), 0.0f);
}

TEST_F(CountrySettingsTest, PriceWithoutTaxTakesTheTaxOut) {
    settings.setRates(country(1, {0, 15, 8.25f, 0, 0}));
    EXPECT_EQ(settings.PriceWithoutTax(money(u"11.50"), "B"), money(u"10"));
    EXPECT_EQ(settings.PriceWithoutTax(money(u"10.83"), "C"), money(u"10.0046"));
    EXPECT_EQ(settings.PriceWithoutTax(money(u"-11.50"), "B"), money(u"-10"));
}

TEST_F(CountrySettingsTest, PriceWithoutTaxLeavesUntaxedAmountsExact) {
    settings.setRates(country(1, {0, 15, 0, 0, 0}));
    const Currency odd = Currency::fromScaled(123456789);
    EXPECT_EQ(settings.PriceWithoutTax(odd, "A"), odd);
    EXPECT_EQ(settings.PriceWithoutTax(odd, " "), odd);
    const Currency max = Currency::fromScaled(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(settings.PriceWithoutTax(max, "A"), max);  // no round trip through a double
}

}  // namespace
}  // namespace qv
