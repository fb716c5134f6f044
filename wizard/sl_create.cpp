#include "wizard/sl_create.h"

#include "lookup/sl_code.h"
#include "settings/text_helpers.h"
#include "settings/vb_text.h"

#include <cmath>
#include <cstdint>

namespace qv {

namespace {

using db::kInventoryTable;
namespace op = db::op;

constexpr int kSlKey = 1;
// Tries before gfsSLcreate gives up looking for a free code and lets the insert refuse the
// duplicate; and how far the "all digits" rule counts up.
constexpr int kMaxCollisionTries = 1000;
constexpr int kMaxCountUp = 100000;

bool isUpperLetter(QChar c) {
    return c >= u'A' && c <= u'Z';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A run of decimal digits as a number; the S/L code holds at most 8 of them.
std::int64_t digitsValue(const QString& digits) {
    std::int64_t n = 0;
    for (const QChar c : digits) {
        if (n > (INT64_MAX - 9) / 10) {
            break;
        }
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

bool slTakenInTable(db::RecordLayer& layer, const QString& stored) {
    layer.Inventory.SL = stored;
    return layer.RecordOp(kInventoryTable, op::GetEqual, kSlKey);
}

// Steps 3 and 4 of the rule: the code after a stored code, in stored form.
QString successorOf(const QString& stored, const SlTakenFn& taken) {
    const std::optional<double> shown = NumericValue(SlDisplay(stored));
    QString next;
    if (shown && std::isfinite(*shown)) {
        next = QString::number(static_cast<std::int64_t>(std::floor(*shown)) + 1);
    } else {
        next = AlphaSuccessor(stored.trimmed(), taken);
    }
    return StoredSl(next);
}

}  // namespace

QString StoredSl(const QString& text) {
    return SlFromDisplay(SlFromEntry(text));
}

QString AlphaSuccessor(const QString& sl, const SlTakenFn& taken) {
    const QChar last = sl.isEmpty() ? QChar() : sl.back();
    if (isUpperLetter(last) && last != u'Z') {
        return sl.left(sl.size() - 1) + QChar(last.unicode() + 1);
    }
    if (last == u'Z' && sl.size() < 7) {
        return sl + u'A';
    }
    if (isDigit(last)) {
        qsizetype start = sl.size();
        while (start > 0 && isDigit(sl.at(start - 1))) {
            --start;
        }
        return sl.left(start) + QString::number(digitsValue(sl.mid(start)) + 1);
    }
    std::int64_t n = digitsValue(DigitsOnly(sl));
    for (int i = 0; i < kMaxCountUp; ++i) {
        ++n;
        if (!taken || !taken(StoredSl(QString::number(n)))) {
            break;
        }
    }
    return QString::number(n);
}

QString gfsSLcreate(db::RecordLayer& layer) {
    layer.Inventory.SL = QStringLiteral("9999999 ");
    if (layer.RecordOp(kInventoryTable, op::GetLessOrEqual, kSlKey)) {
        for (;;) {
            const QString code = layer.Inventory.SL.trimmed();
            if (IsNumeric(code) && !code.startsWith(u'0')) {
                break;
            }
            if (!layer.RecordOp(kInventoryTable, op::GetPrevious, kSlKey)) {
                break;  // the lowest code is where the walk ends
            }
        }
    } else {
        layer.RecordOp(kInventoryTable, op::GetLast, kSlKey);
    }
    const SlTakenFn taken = [&layer](const QString& stored) {
        return slTakenInTable(layer, stored);
    };
    QString next = successorOf(layer.Inventory.SL.str(), taken);
    for (int i = 0; i < kMaxCollisionTries && taken(next); ++i) {
        next = successorOf(next, taken);
    }
    return next;
}

}  // namespace qv
