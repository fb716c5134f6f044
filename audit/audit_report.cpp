#include "audit/link_audit.h"

#include <QJsonArray>

namespace qv::audit {

namespace {

QString groupText(const Finding& f) {
    switch (f.group) {
        case Finding::Group::Family:
            return QStringLiteral("family ") + ItemText(f.head);
        case Finding::Group::Item:
            return QStringLiteral("item ") + ItemText(f.head);
        case Finding::Group::Upc:
            break;
    }
    return QStringLiteral("upc ") + f.upc;
}

QString groupName(Finding::Group group) {
    switch (group) {
        case Finding::Group::Family:
            return QStringLiteral("family");
        case Finding::Group::Item:
            return QStringLiteral("item");
        case Finding::Group::Upc:
            break;
    }
    return QStringLiteral("upc");
}

QJsonObject itemJson(const ItemRef& item) {
    return QJsonObject{{QStringLiteral("sl"), item.sl},
                       {QStringLiteral("recordNum"), static_cast<qint64>(item.recordNum)}};
}

QString counted(std::size_t n, const char* one, const char* many) {
    return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

}  // namespace

QString ItemText(const ItemRef& item) {
    const QString sl = item.sl.trimmed();  // numeric codes are right-aligned in the column
    return (sl.isEmpty() ? QStringLiteral("-") : sl) + QStringLiteral(" #") +
           QString::number(item.recordNum);
}

QStringList ReportLines(const AuditReport& report) {
    QStringList lines;
    lines << QStringLiteral("Audit of %1 (%2 items) and %3 (%4 UPC rows): %5.")
                 .arg(report.tables.inventory)
                 .arg(report.items)
                 .arg(report.tables.upc)
                 .arg(report.upcRows)
                 .arg(counted(report.families, "family", "families"));
    for (const Finding& f : report.findings) {
        lines << groupText(f) + QStringLiteral(": ") + CheckName(f.check) + QStringLiteral(": ") +
                     f.text + (f.repairable ? QStringLiteral(" [repair]") : QString());
    }
    if (report.findings.empty()) {
        lines << QStringLiteral("No findings.");
    } else {
        lines << QStringLiteral("%1; %2 can be repaired with --repair.")
                     .arg(counted(report.findings.size(), "finding", "findings"))
                     .arg(report.repairableCount());
    }
    return lines;
}

QString RepairLine(const RepairResult& result) {
    if (!result.done) {
        return QStringLiteral("Repair failed, no row was changed: ") + result.failure;
    }
    if (result.rowsChanged == 0) {
        return QStringLiteral("Nothing to repair.");
    }
    return QStringLiteral("Repaired %1 rows in one transaction; the rows as they were are in %2.")
        .arg(result.rowsChanged)
        .arg(result.recallPath);
}

QJsonObject ReportJson(const AuditReport& report, const RepairResult* repair) {
    QJsonArray findings;
    for (const Finding& f : report.findings) {
        QJsonObject o{{QStringLiteral("check"), CheckName(f.check)},
                      {QStringLiteral("group"), groupName(f.group)},
                      {QStringLiteral("text"), f.text},
                      {QStringLiteral("repair"), f.repairable}};
        if (f.group == Finding::Group::Upc) {
            o.insert(QStringLiteral("upc"), f.upc);
        } else {
            o.insert(QStringLiteral("head"), itemJson(f.head));
        }
        QJsonArray items;
        for (const ItemRef& i : f.items) {
            items.append(itemJson(i));
        }
        o.insert(QStringLiteral("items"), items);
        findings.append(o);
    }
    QJsonObject out{{QStringLiteral("inventoryTable"), report.tables.inventory},
                    {QStringLiteral("upcTable"), report.tables.upc},
                    {QStringLiteral("items"), static_cast<qint64>(report.items)},
                    {QStringLiteral("upcRows"), static_cast<qint64>(report.upcRows)},
                    {QStringLiteral("families"), static_cast<qint64>(report.families)},
                    {QStringLiteral("repairable"), report.repairableCount()},
                    {QStringLiteral("findings"), findings}};
    if (repair) {
        QJsonObject r{{QStringLiteral("done"), repair->done},
                      {QStringLiteral("rowsChanged"), repair->rowsChanged}};
        if (repair->done) {
            r.insert(QStringLiteral("recallFile"), repair->recallPath);
        } else {
            r.insert(QStringLiteral("failure"), repair->failure);
        }
        out.insert(QStringLiteral("repair"), r);
    }
    return out;
}

}  // namespace qv::audit
