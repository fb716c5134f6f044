#include "tests/support/record_steps.h"

#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>
#include <QDate>
#include <QRegularExpression>
#include <map>

namespace qv::test {

namespace {

std::int16_t OperationCode(const QString& name) {
    using namespace db::op;
    static const std::map<QString, std::int16_t> codes = {{"Insert", Insert},
                                                          {"Update", Update},
                                                          {"Delete", Delete},
                                                          {"GetEqual", GetEqual},
                                                          {"GetNext", GetNext},
                                                          {"GetPrevious", GetPrevious},
                                                          {"GetGreater", GetGreater},
                                                          {"GetGreaterOrEqual", GetGreaterOrEqual},
                                                          {"GetLess", GetLess},
                                                          {"GetLessOrEqual", GetLessOrEqual},
                                                          {"GetFirst", GetFirst},
                                                          {"GetLast", GetLast},
                                                          {"GetFirst2", GetFirst2},
                                                          {"GetLast2", GetLast2},
                                                          {"GetPrevious2", GetPrevious2},
                                                          {"BySQL", BySQL}};
    const auto it = codes.find(name);
    EXPECT_NE(it, codes.end()) << "no operation " << name.toStdString();
    return it == codes.end() ? -99 : it->second;
}

int Table(const QString& name) {
    return name == u"upc"      ? db::kUpcTable
           : name == u"common" ? db::kCommonTable
                               : db::kInventoryTable;
}

}  // namespace

// The looks of the step table; nothing when the verb is not one.
std::optional<QString> Look(db::RecordLayer& layer, const QString& verb, const QStringList& a,
                            const Sandbox* sb) {
    const int n = a.value(0).toInt();
    const auto lines = [sb](const char* file) {
        return sb ? QString::fromUtf8(sb->readFile(QStringLiteral("C:\\KT\\") + file))
                        .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
                  : QStringList();
    };
    if (verb == u"read") {
        const bool found = layer.GetInventoryByRecordNum(n);
        return QStringLiteral("record %1: %2\n")
            .arg(QString::number(n), found ? RecordText(layer.Inventory) : QStringLiteral("none"));
    } else if (verb == u"count") {
        return QStringLiteral("rows %1\n").arg(layer.InventoryRowCount().value_or(-1));
    } else if (verb == u"next") {
        return QStringLiteral("next record number %1\n").arg(layer.NextRecordNumber());
    } else if (verb == u"buffer") {
        return QStringLiteral("buffer: ") + RecordText(layer.Inventory) + u'\n';
    } else if (verb == u"bysl") {
        return QStringLiteral("GetInventoryBySL(%1, %2) = %3\n")
            .arg(a[0], a[1])
            .arg(layer.GetInventoryBySL(a[0], a[1] == u"y"));
    } else if (verb == u"sql") {
        return QStringLiteral("sql: %1\n").arg(layer.ExecuteSql(a[0]));
    } else if (verb == u"recall") {
        return QStringLiteral("recall: ") +
               lines("DeleteRecall.txt")
                   .replaceInStrings(QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")),
                                     QStringLiteral("<today>"))
                   .join(QStringLiteral(" / ")) +
               u'\n';
    } else if (verb == u"putback") {
        return QStringLiteral("put back: %1\n")
            .arg(layer.ExecuteSql(lines("DeleteRecall.txt").value(1)));
    } else if (verb == u"log") {
        return QStringLiteral("log: ") +
               lines("PVSW.log")
                   .replaceInStrings(QRegularExpression(QStringLiteral("^\\S+ \\S+ ")), QString())
                   .join(QStringLiteral(" / ")) +
               u'\n';
    }
    return std::nullopt;
}

QString RunRecordSteps(db::RecordLayer& layer, const QString& relative, const DescribeOp& describe,
                       const CustomRecordStep& custom, const Sandbox* sandbox) {
    QString out;
    for (const Case& c : Cases(relative)) {
        SCOPED_TRACE(c.where());
        const QString verb = c.text(0);
        const QStringList args = c.from(1);
        if (verb == u"clear" || verb == u"set") {
            const int table = Table(c.text(1));
            const bool clear = verb == u"clear";
            const QString fields = args.mid(1).join(QStringLiteral(" | "));
            if (table == db::kUpcTable) {
                layer.Upc = Upc(fields, clear ? db::UpcRecord() : layer.Upc);
            } else if (table == db::kCommonTable) {
                layer.Common = WithFields(clear ? db::CommonRecord() : layer.Common, fields,
                                          db::common::kColumns);
            } else {
                layer.Inventory =
                    Inventory(fields, clear ? db::InventoryRecord() : layer.Inventory);
            }
        } else if (verb == u"item") {
            layer.Inventory = DbFixture::Item(c.text(1).toInt());
        } else if (verb == u"goto") {
            layer.Inventory.RecordNum = c.text(1).toInt();
            EXPECT_TRUE(layer.RecordOp(db::kInventoryTable, db::op::GetEqual, 0))
                << layer.LastError().description.toStdString();
        } else if (verb == u"column") {
            layer.SetFieldValue(db::kInventoryTable, c.text(1).toInt(),
                                c.has(2) ? db::Value::text(c.text(2)) : db::Value());
        } else if (verb == u"keyfromrecord") {
            layer.KeyFromRecord = c.flag(1);
        } else if (verb == u"op") {
            QString statement = c.text(6);
            const int table = Table(c.text(2));
            const db::DbError before = layer.LastError();
            const bool found = layer.RecordOp(table, OperationCode(c.text(3)),
                                              static_cast<std::int16_t>(c.text(4).toInt()),
                                              c.text(5) == u"direct", false, statement);
            if (!c.has(1)) {
                EXPECT_TRUE(found) << layer.LastError().description.toStdString();
            } else {
                const db::DbError& e = layer.LastError();
                const bool fresh = e.number != before.number || e.description != before.description;
                out += describe(c.text(1), table, found,
                                statement.isEmpty() ? layer.LastStatement() : statement,
                                fresh ? e.description : QString());
            }
        } else if (const std::optional<QString> look = Look(layer, verb, args, sandbox)) {
            out += *look;
        } else if (custom) {
            out += custom(verb, args);
        } else {
            ADD_FAILURE() << "no step " << verb.toStdString();
        }
    }
    return out;
}

std::vector<int> RecordNumbersInOrder(db::RecordLayer& layer, const QString& table,
                                      const QString& orderBy) {
    QString sql = QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY ") + orderBy;
    std::vector<int> out;
    EXPECT_TRUE(layer.RecordOp(db::kInventoryTable, db::op::BySQL, 0, true, false, sql));
    for (db::RowSet* rows = layer.CurrentRow(db::kInventoryTable); rows && !rows->eof();
         rows->moveNext()) {
        out.push_back(static_cast<int>(rows->value(db::inventory::colRecordNum).toInteger()));
    }
    return out;
}

void ExpectWalksBothWays(db::RecordLayer& layer, std::int16_t key,
                         const std::vector<int>& expected) {
    const auto walk = [&](std::int16_t start, std::int16_t step) {
        std::vector<int> seen;
        EXPECT_TRUE(layer.RecordOp(db::kInventoryTable, start, key))
            << layer.LastError().description.toStdString();
        do {
            seen.push_back(layer.Inventory.RecordNum);
        } while (seen.size() <= expected.size() && layer.RecordOp(db::kInventoryTable, step, key));
        return seen;
    };
    EXPECT_EQ(walk(db::op::GetFirst, db::op::GetNext), expected) << "key " << key;
    EXPECT_EQ(walk(db::op::GetLast, db::op::GetPrevious),
              std::vector<int>(expected.rbegin(), expected.rend()))
        << "key " << key << " backward";
}

}  // namespace qv::test
