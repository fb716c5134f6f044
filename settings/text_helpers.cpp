#include "settings/text_helpers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace qv {

QString KeepChars(const QString& text, const QString& allowed) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (allowed.contains(c)) {
            out += c;
        }
    }
    return out;
}

QString DigitsOnly(const QString& text) {
    return KeepChars(text, QStringLiteral("0123456789"));
}

double RoundHalfAway(double value, std::int16_t digits) {
    if (!std::isfinite(value) || value == 0.0) {
        return value;
    }
    // The shortest text that reads back as value: "d.ddde+XX".
    char buf[64];
    const auto written =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    const std::string text(buf, written.ptr);
    const std::size_t ePos = text.find('e');
    std::string mantissa;
    for (std::size_t k = 0; k < ePos; ++k) {
        if (text[k] != '.') {
            mantissa += text[k];
        }
    }
    const long power = std::stol(text.substr(ePos + 1));  // of the first digit

    // How many leading digits lie at or above the last place that is kept.
    const long keep = power + 1 + digits;
    if (keep >= static_cast<long>(mantissa.size())) {
        return value;  // nothing beyond the place to round at
    }
    if (keep < 0) {
        return 0.0;  // below half of the last kept place
    }
    std::string kept = mantissa.substr(0, static_cast<std::size_t>(keep));
    const bool up = mantissa[static_cast<std::size_t>(keep)] >= '5';
    if (kept.empty()) {
        kept = "0";
    }
    if (up) {
        int k = static_cast<int>(kept.size()) - 1;
        while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9') {
            kept[static_cast<std::size_t>(k)] = '0';
            --k;
        }
        if (k < 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[static_cast<std::size_t>(k)];
        }
    }
    const std::string scaled = kept + "e" + std::to_string(-static_cast<long>(digits));
    double result = 0.0;
    const auto parsed = std::from_chars(scaled.data(), scaled.data() + scaled.size(), result);
    if (parsed.ec == std::errc::result_out_of_range) {
        result = digits < 0 ? HUGE_VAL : 0.0;
    }
    if (result == 0.0) {
        return 0.0;
    }
    return value < 0 ? -result : result;
}

QString DateText(const QString& date, const QString& style) {
    if (date.trimmed().isEmpty()) {
        return date + QStringLiteral("  ");
    }
    const QString year = date.left(4);
    const QString month = date.mid(4, 2);
    const QString day = date.mid(6, 2);
    if (style == u"E") {
        return day + u'/' + month + u'/' + year;
    }
    return month + u'/' + day + u'/' + year;
}

}  // namespace qv
