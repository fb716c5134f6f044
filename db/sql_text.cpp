#include "db/sql_text.h"

namespace qv::db {

QString SqlSafeText(const QString& value, bool doubleQuotes, int limit) {
    if (value.contains(QChar(0))) {
        return QString(value.size(), u' ');
    }
    if (value.contains(QStringLiteral("''")) || !value.contains(u'\'')) {
        return value;
    }
    QString out = value;
    if (!doubleQuotes) {
        out.replace(u'\'', u' ');
        return out;
    }
    out.replace(QStringLiteral("'"), QStringLiteral("''"));
    out = LTrim(RTrim(out));
    if (out.size() > limit) {
        out.replace(QStringLiteral(", "), QStringLiteral(","));
        out.replace(QStringLiteral("  "), QStringLiteral(" "));
        if (out.endsWith(u',')) {
            out.chop(1);
        }
    }
    return out;
}

QString LiteralBody(QStringView sanitised) {
    QString out;
    out.reserve(sanitised.size() + 4);
    for (qsizetype i = 0; i < sanitised.size(); ++i) {
        const QChar c = sanitised.at(i);
        if (c == u'\'') {
            out += QStringLiteral("''");
            if (i + 1 < sanitised.size() && sanitised.at(i + 1) == u'\'') {
                ++i;
            }
        } else if (c == QChar(0)) {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

QString QuoteRaw(QStringView raw) {
    QString out;
    out.reserve(raw.size() + 4);
    for (const QChar c : raw) {
        if (c == u'\'') {
            out += QStringLiteral("''");
        } else if (c == QChar(0)) {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

QString RTrim(QStringView text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ') {
        --end;
    }
    return text.left(end).toString();
}

QString LTrim(QStringView text) {
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == u' ') {
        ++start;
    }
    return text.mid(start).toString();
}

}  // namespace qv::db
