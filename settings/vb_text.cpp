#include "settings/vb_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qv {

namespace {

bool isValBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int radixDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

// "&H..." / "&O..." after the prefix: 16-bit and 32-bit patterns read as signed values.
double radixValue(QStringView t, qsizetype i, int radix) {
    constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t v = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (isValBlank(c)) {
            continue;
        }
        const int d = radixDigit(c);
        if (d < 0 || d >= radix) {
            break;
        }
        const auto r = static_cast<std::uint64_t>(radix);
        v = (v > (kAll - static_cast<std::uint64_t>(d)) / r) ? kAll : v * r + d;
    }
    if (v <= 0xFFFFu) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    }
    if (v <= 0xFFFFFFFFu) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    }
    return static_cast<double>(v);
}

// Parses a plain decimal text (sign, digits, point, "e" exponent) that the callers have built,
// independent of the C locale. Out of range: infinity above, 0 below. magnitude is the
// power of ten of the first significant digit.
double parseDecimal(const std::string& s, bool negative, long magnitude) {
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return negative ? -value : value;
    }
    if (ec != std::errc()) {
        return 0.0;
    }
    if (value == 0.0) {
        return 0.0;  // never a negative zero
    }
    return negative ? -value : value;
}

// The power of ten of the first significant digit of intDigits.fracDigits, before the
// exponent; nothing when every digit is 0.
std::optional<long> leadingPower(const std::string& intDigits, const std::string& fracDigits) {
    for (std::size_t k = 0; k < intDigits.size(); ++k) {
        if (intDigits[k] != '0') {
            return static_cast<long>(intDigits.size() - 1 - k);
        }
    }
    for (std::size_t k = 0; k < fracDigits.size(); ++k) {
        if (fracDigits[k] != '0') {
            return -static_cast<long>(k + 1);
        }
    }
    return std::nullopt;
}

double decimalValue(const std::string& intDigits, const std::string& fracDigits, long exponent,
                    bool negative) {
    const std::optional<long> lead = leadingPower(intDigits, fracDigits);
    if (!lead) {
        return 0.0;
    }
    std::string s = intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty()) {
        s += '.';
        s += fracDigits;
    }
    if (exponent != 0) {
        s += 'e';
        s += std::to_string(exponent);
    }
    return parseDecimal(s, negative, *lead + exponent);
}

}  // namespace

double Val(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isValBlank(text[i])) {
        ++i;
    }
    if (i < n && text[i] == u'&') {
        qsizetype j = i + 1;
        while (j < n && isValBlank(text[j])) {
            ++j;
        }
        if (j < n && (text[j] == u'H' || text[j] == u'h')) {
            return radixValue(text, j + 1, 16);
        }
        if (j < n && (text[j] == u'O' || text[j] == u'o')) {
            return radixValue(text, j + 1, 8);
        }
        return 0.0;
    }

    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::string intDigits;
    std::string fracDigits;
    bool seenPoint = false;
    bool anyDigit = false;
    long exponent = 0;
    constexpr long kExponentCap = 1000000;  // far beyond any double; keeps the sum bounded

    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isValBlank(c)) {
            continue;
        }
        if (isDigit(c)) {
            anyDigit = true;
            (seenPoint ? fracDigits : intDigits) += static_cast<char>(c.unicode());
            continue;
        }
        if (c == u'.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (anyDigit && (c == u'E' || c == u'e' || c == u'D' || c == u'd')) {
            ++i;
            while (i < n && isValBlank(text[i])) {
                ++i;
            }
            bool expNegative = false;
            if (i < n && (text[i] == u'-' || text[i] == u'+')) {
                expNegative = text[i] == u'-';
                ++i;
            }
            long e = 0;
            for (; i < n; ++i) {
                if (isValBlank(text[i])) {
                    continue;
                }
                if (!isDigit(text[i])) {
                    break;
                }
                if (e < kExponentCap) {
                    e = e * 10 + (text[i].unicode() - u'0');
                }
            }
            exponent = expNegative ? -e : e;
        }
        break;
    }
    if (!anyDigit) {
        return 0.0;
    }
    return decimalValue(intDigits, fracDigits, exponent, negative);
}

std::optional<std::int16_t> RoundToInt16(double value) {
    const std::optional<std::int32_t> wide = RoundToInt32(value);
    if (!wide || *wide < std::numeric_limits<std::int16_t>::min() ||
        *wide > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*wide);
}

std::optional<std::int32_t> RoundToInt32(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double r = std::nearbyint(value);  // the default rounding mode: halves to even
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

std::optional<double> NumericValue(QStringView text) {
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype i = 0;
    qsizetype n = text.size();
    while (i < n && isBlank(text[i])) {
        ++i;
    }
    while (n > i && isBlank(text[n - 1])) {
        --n;
    }
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
        while (i < n && isBlank(text[i])) {
            ++i;
        }
    }
    std::string intDigits;
    std::string fracDigits;
    int groupLength = 0;  // digits since the last comma, or since the start
    bool grouped = false;
    for (; i < n && text[i] != u'.'; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            intDigits += static_cast<char>(c.unicode());
            ++groupLength;
            continue;
        }
        if (c != u',') {
            return std::nullopt;
        }
        // A comma closes a group: the first of 1 to 3 digits, every later one of exactly 3.
        if (groupLength == 0 || groupLength > 3 || (grouped && groupLength != 3)) {
            return std::nullopt;
        }
        grouped = true;
        groupLength = 0;
    }
    if (grouped && groupLength != 3) {
        return std::nullopt;
    }
    if (i < n) {  // the point
        for (++i; i < n; ++i) {
            if (!isDigit(text[i])) {
                return std::nullopt;
            }
            fracDigits += static_cast<char>(text[i].unicode());
        }
    }
    if (intDigits.empty() && fracDigits.empty()) {
        return std::nullopt;
    }
    const double value = decimalValue(intDigits, fracDigits, 0, negative);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString GetTaggedValue(const QString& text, const QString& tag, const QString& terminator) {
    if (tag.isEmpty()) {
        return {};
    }
    const qsizetype at = text.indexOf(tag, 0, Qt::CaseSensitive);
    if (at < 0) {
        return {};
    }
    const qsizetype start = at + tag.size();
    qsizetype end = start;
    while (end < text.size() && !terminator.contains(text.at(end))) {
        ++end;
    }
    while (end > start && text.at(end - 1) == u' ') {
        --end;
    }
    return text.mid(start, end - start);
}

}  // namespace qv
