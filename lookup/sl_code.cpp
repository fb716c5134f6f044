#include "lookup/sl_code.h"

#include "settings/vb_text.h"

#include <cmath>

namespace qv {

namespace {

constexpr int kCodeWidth = 8;
constexpr int kEntryWidth = 9;
constexpr int kItemIdWidth = 25;

QString padRight(const QString& text, int width) {
    return text.size() >= width ? text.left(width) : text + QString(width - text.size(), u' ');
}

QChar firstNonBlank(const QString& text) {
    for (const QChar c : text) {
        if (c != u' ') {
            return c;
        }
    }
    return {};
}

QChar lastNonBlank(const QString& text) {
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text.at(i) != u' ') {
            return text.at(i);
        }
    }
    return {};
}

bool onlyBlanksDigitsPoints(const QString& text) {
    for (const QChar c : text) {
        if (c != u' ' && c != u'.' && (c < u'0' || c > u'9')) {
            return false;
        }
    }
    return true;
}

// A number as the suite's number-to-text conversion writes it, without the blank it puts in
// front of positive numbers: up to 15 significant digits, no zero before the point of a
// fraction (".5"), an exponent as "E+15".
QString numberText(double value) {
    if (!std::isfinite(value)) {
        return QStringLiteral("0");
    }
    QString s = QString::number(value, 'g', 15);
    s.replace(u'e', u'E');
    if (s.startsWith(QStringLiteral("0."))) {
        s.remove(0, 1);
    } else if (s.startsWith(QStringLiteral("-0."))) {
        s.remove(1, 1);
    }
    return s;
}

}  // namespace

QString SlDisplay(const QString& code) {
    const QString c = code.size() < kCodeWidth ? padRight(code, kCodeWidth) : code;
    if (firstNonBlank(c) == u'~') {
        return c;
    }
    return c.left(7) + u'.' + c.right(1);
}

QString SlFromDisplay(const QString& text) {
    const QString t = text.size() < kCodeWidth ? padRight(text, kCodeWidth) : text;
    return t.left(7) + t.right(1);
}

QString SlFromEntry(const QString& typed) {
    if (typed.trimmed().isEmpty()) {
        return {};
    }
    if (onlyBlanksDigitsPoints(typed)) {
        QString r;
        if (firstNonBlank(typed) == u'0') {
            r = typed;
            if (lastNonBlank(typed) == u'.') {
                r.remove(u'.');
            }
        } else {
            r = numberText(Val(typed));
            // The number's value drops a point followed by 0 ("1234567.0"), which in an S/L
            // code stands before the last character: keep that digit.
            const QString digits = QString(typed).remove(u' ');
            const qsizetype typedPoint = digits.indexOf(u'.');
            if (!r.contains(u'.') && !r.contains(u'E') && typedPoint >= 0 &&
                typedPoint + 1 < digits.size() && digits.at(typedPoint + 1) != u'.') {
                r += u'.' + digits.at(typedPoint + 1);
            }
        }
        const qsizetype point = r.indexOf(u'.');
        if (point >= 0) {
            r = r.left(point + 2);
        } else if (r.size() < kCodeWidth) {
            r += QStringLiteral(". ");
        } else {
            r = r.left(7) + u'.' + r.mid(7);
        }
        if (r.size() >= kEntryWidth) {
            return r.left(kEntryWidth);
        }
        return QString(kEntryWidth - r.size(), u' ') + r;
    }

    QString r = typed;
    r.replace(u'.', u' ');
    const qsizetype blank = r.indexOf(u' ', 1);
    if (blank > 0) {
        r = r.left(blank);
    }
    qsizetype start = 0;
    while (start < r.size() && r.at(start) == u' ') {
        ++start;
    }
    return padRight(r.mid(start), 7) + QStringLiteral(". ");
}

QString ItemIdFromEntry(const QString& typed) {
    qsizetype start = 0;
    while (start < typed.size() && typed.at(start) == u' ') {
        ++start;
    }
    return padRight(typed.mid(start), kItemIdWidth);
}

}  // namespace qv
