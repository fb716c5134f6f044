#include "settings/country_settings.h"

#include "settings/vb_text.h"

#include <QDir>
#include <cmath>
#include <limits>

namespace qv {

namespace {

const QString kFileName = QStringLiteral("Country.set");
const QString kLineEnd = QStringLiteral("\r\n");
const QString kIndexTag = QStringLiteral("[CountryNumber]");
const QString kNameTag = QStringLiteral("[CountryName]");
const QString kBlockTag = QStringLiteral("[Country]");

constexpr char kMissingTitle[] = "Settings File Missing";
constexpr char kMissingText[] =
    "The Country Settings File cannot be found. Default Settings will be used";

// A whole number of 0 or more that fits 16 bits, as a settings value must be.
std::optional<std::int16_t> wholeCount(const QString& text) {
    const std::optional<double> v = NumericValue(text);
    if (!v || *v < 0 || *v != std::trunc(*v) || *v > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*v);
}

// Tax code -> which of R1..R5 it adds up (bit 0 is R1).
int rateMask(const QString& code) {
    if (code.size() != 1) {
        return 0;
    }
    static constexpr struct {
        char16_t code;
        int mask;
    } kTable[] = {
        {u'A', 0b00001}, {u'B', 0b00010}, {u'C', 0b00100}, {u'D', 0b01000}, {u'E', 0b10000},
        {u'F', 0b00011}, {u'G', 0b00101}, {u'H', 0b01001}, {u'I', 0b10001}, {u'J', 0b00110},
        {u'K', 0b01010}, {u'L', 0b10010}, {u'M', 0b01100}, {u'N', 0b10100}, {u'O', 0b11000},
        {u'P', 0b00111}, {u'Q', 0b01011}, {u'R', 0b10011}, {u'S', 0b01101}, {u'T', 0b10101},
        {u'U', 0b11001}, {u'V', 0b01110}, {u'W', 0b10110}, {u'X', 0b11010}, {u'Y', 0b11100},
        {u'Z', 0b01111}, {u'a', 0b10111}, {u'b', 0b11011}, {u'c', 0b11101}, {u'd', 0b11111},
    };
    for (const auto& entry : kTable) {
        if (code.at(0).unicode() == entry.code) {
            return entry.mask;
        }
    }
    return 0;
}

}  // namespace

CountrySettings::CountrySettings(Services& services, const RunValues& run)
    : services_(services), run_(run) {}

QString CountrySettings::dataFile() const {
    return run_.DataPath + u'\\' + kFileName;
}

bool CountrySettings::fileMatchesCountry(const QString& number, std::int16_t country) const {
    const std::optional<double> v = NumericValue(number);
    return v && *v == static_cast<double>(country);
}

void CountrySettings::LoadCountrySettings(const CommonRates& common) {
    rates_ = common;
    CurrencySymbol = QStringLiteral("$");
    const std::int16_t country = common.CountryNumber;
    if (country <= 0) {
        return;
    }
    const QString symbol = GetCountrySetting(country, QStringLiteral("Currency Symbol"));
    if (symbol.size() == 1) {
        CurrencySymbol = symbol;
    }
    if (!services_.fs.fileExists(dataFile())) {
        return;  // already reported by the first read
    }
    IncludeTaxInPrice =
        GetCountrySetting(country, QStringLiteral("Include Tax in Displayed Price")) == u"Y";

    const QString label = GetCountrySetting(country, QStringLiteral("Label For Tax"));
    if (label != QLatin1String(kNotFound)) {
        TaxLabel = label.leftJustified(3, u' ', true);
    }

    if (GetCountrySetting(country, QStringLiteral("Round")) == u"Y") {
        if (const auto roundTo =
                wholeCount(GetCountrySetting(country, QStringLiteral("Round To")))) {
            RoundTo = *roundTo;
        }
    }

    const QString drawers = GetCountrySetting(country, QStringLiteral("DrawerCount"));
    if (drawers.size() > 5) {
        if (const auto count = wholeCount(drawers.mid(4, 2))) {
            DrawerCount = *count;
        }
    }

    const QString check = GetCountrySetting(country, QStringLiteral("Check"));
    CheckLabel = check == QLatin1String(kNotFound) ? QString() : check;
}

QString CountrySettings::GetCountrySetting(std::int16_t country, const QString& key) {
    const QString notFound = QLatin1String(kNotFound);
    const QString tag = u'[' + key + u']';
    const QString path = dataFile();
    FileSystem& fs = services_.fs;

    if (!fs.fileExists(path) && !services_.app.programFolder.isEmpty()) {
        const QString spare = QDir(services_.app.programFolder).filePath(kFileName);
        if (fs.fileExists(spare)) {
            fs.copyFile(spare, path);  // a failed copy shows as the file still missing
        }
    }
    if (!fs.fileExists(path)) {
        services_.boxes.show(box::Ok, QLatin1String(kMissingTitle), QLatin1String(kMissingText));
        return notFound;
    }
    const std::optional<QStringList> lines = fs.readLines(path);
    if (!lines) {
        if (!unreadableReported_) {
            unreadableReported_ = true;
            services_.boxes.show(box::Ok, QLatin1String(kMissingTitle),
                                 QLatin1String(kMissingText));
        }
        return notFound;
    }

    for (qsizetype i = 0; i < lines->size(); ++i) {
        const QString& line = lines->at(i);
        if (GstChangeDate.isEmpty() && line.contains(kIndexTag)) {
            if (fileMatchesCountry(GetTaggedValue(line, kIndexTag, QStringLiteral("[")), country) &&
                GetTaggedValue(line, kNameTag, kLineEnd) == u"New Zealand") {
                GstChangeDate = QStringLiteral("20101001");
            }
        }
        if (!line.contains(kBlockTag) ||
            !fileMatchesCountry(GetTaggedValue(line, kBlockTag, kLineEnd), country)) {
            continue;
        }
        for (++i; i < lines->size(); ++i) {
            const QString& setting = lines->at(i);
            if (setting.contains(kBlockTag)) {
                break;  // the next country's block
            }
            if (setting.contains(tag)) {
                return GetTaggedValue(setting, tag, kLineEnd);
            }
        }
        return notFound;
    }
    return notFound;
}

float CountrySettings::TaxRateForCode(const QString& code) const {
    const int mask = rateMask(code);
    float sum = 0.0f;
    for (std::size_t k = 0; k < rates_.TaxRate.size(); ++k) {
        if (mask & (1 << k)) {
            sum += rates_.TaxRate[k];
        }
    }
    return sum;
}

std::optional<Currency> CountrySettings::PriceWithTax(Currency amount, const QString& code,
                                                      const QString& saleDate) const {
    float rate = TaxRateForCode(code);
    if (rate > 0.0f && !saleDate.isEmpty() && !GstChangeDate.isEmpty() &&
        saleDate < GstChangeDate) {
        rate = 12.5f;  // the GST rate before the change
    }
    const double a = amount.toDouble();
    return Currency::fromDouble(a + a * static_cast<double>(rate) / 100.0);
}

float CountrySettings::TaxOnPrice(const QString& priceText, const QString& taxCode) const {
    const float rate = TaxRateForCode(taxCode);
    return static_cast<float>(Val(priceText) * static_cast<double>(rate) / 100.0);
}

std::optional<Currency> CountrySettings::PriceWithoutTax(Currency amount,
                                                         const QString& taxCode) const {
    const float rate = TaxRateForCode(taxCode);
    if (rate == 0.0f) {
        return amount;
    }
    const float divisor = 1.0f + rate / 100.0f;  // single precision, as the rates are
    return Currency::fromDouble(amount.toDouble() / static_cast<double>(divisor));
}

}  // namespace qv
