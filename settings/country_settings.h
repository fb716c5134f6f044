#pragma once

#include "platform/services.h"
#include "settings/run_values.h"
#include "sql/currency.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace qv {

// What the country settings need from the store's common record: its country number and its
// five tax rates in percent (R1 to R5). The database layer fills it from `CommonRecord`.
struct CommonRates {
    std::int16_t CountryNumber = 0;
    std::array<float, 5> TaxRate{};
};

// The store's country values: currency symbol, whether prices are shown with tax, tax label,
// and so on, read once at start from "Country.set" in the data folder for the common record's
// country; and the tax helpers that turn an item's one-letter tax code into a rate and a price.
// One instance per run (tests make their own).
//
// "Country.set" is line-oriented:
//   [CountryNumber]64 [CountryName]New Zealand      index line
//   [Country]64                                     block header
//   [Currency Symbol]$                              settings of that block, "[" key "]" value
// Rules where the file may hold something unexpected:
// - A country number in the file ("[Country]", "[CountryNumber]") matches only when it is a
//   number as IsNumeric reads it (blanks around are fine) and equals the country; a number
//   that is not numeric, such as "[Country]NZ" or an empty one, matches no country.
// - A block ends at the next "[Country]" line: a key that its own block lacks is
//   "NOT FOUND" rather than the value of some later block, and of two blocks for the same
//   country only the first is read.
// - "Round To" and the two "DrawerCount" characters must be whole numbers of 0 or more
//   (blanks around allowed) that fit 16 bits; anything else leaves the value as it was.
//   "DrawerCount" is read from characters 5 and 6 (counting from 1) of a value longer than
//   5 characters: "Yes  2" and "Yes 12" give 2 and 12; "NOT FOUND" (from "FO") changes nothing.
// - A "Label For Tax" that is "NOT FOUND" leaves the label blank.
// - A "Country.set" that exists but cannot be read counts as missing, with the same box,
//   shown once per run.
class CountrySettings {
public:
    static constexpr const char* kNotFound = "NOT FOUND";

    // services supplies the file system, the message boxes and the program folder; run the
    // data folder (`DataPath`). Both must outlive this object.
    CountrySettings(Services& services, const RunValues& run);

    // The values, with their defaults.
    QString CurrencySymbol = QStringLiteral("$");
    bool IncludeTaxInPrice = false;
    QString TaxLabel = QStringLiteral("   ");  // always 3 characters
    std::int16_t RoundTo = 0;
    std::int16_t DrawerCount = 0;
    QString CheckLabel;
    QString GstChangeDate;  // "20101001" for New Zealand, else empty

    // Takes the common record's country and rates, then reads the file for that country.
    // Country 0 (or below) reads nothing and keeps the defaults.
    void LoadCountrySettings(const CommonRates& common);
    // Replaces the rates the tax helpers use, e.g. after the common record is read again.
    void setRates(const CommonRates& common) { rates_ = common; }
    const CommonRates& rates() const { return rates_; }

    // The value of key in the country's block of "Country.set", or "NOT FOUND". Copies the
    // file from the program folder when the data folder lacks it; shows "Settings File
    // Missing" when neither has it.
    QString GetCountrySetting(std::int16_t country, const QString& key);

    // The rate in percent for a tax code ("A" to "Z", "a" to "d", compared exactly), summed
    // in single precision; 0 for any other code.
    float TaxRateForCode(const QString& code) const;

    // amount plus its tax. With GstChangeDate set, a taxed sale dated (year, month, day
    // digits) before that date is taxed at the old rate of 12.5%. Nothing when the result
    // does not fit a Currency.
    std::optional<Currency> PriceWithTax(Currency amount, const QString& code,
                                         const QString& saleDate) const;
    // The tax on the price in priceText (read as Val reads it) for the item's tax code. A
    // display value in single precision, not an amount to store.
    float TaxOnPrice(const QString& priceText, const QString& taxCode) const;
    // A price that includes the tax of taxCode with that tax taken out; the amount unchanged
    // when the rate is 0. Nothing when the result does not fit a Currency.
    std::optional<Currency> PriceWithoutTax(Currency amount, const QString& taxCode) const;

private:
    QString dataFile() const;
    bool fileMatchesCountry(const QString& number, std::int16_t country) const;

    Services& services_;
    const RunValues& run_;
    CommonRates rates_;
    bool unreadableReported_ = false;
};

}  // namespace qv
