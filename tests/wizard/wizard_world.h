#pragma once

#include "tests/support/qt_print.h"

// Shared set-up of the wizard tests: a store database with generated stock and a root item
// (a case of lager), the wizard's context over it, a scripted item pick and a script of the
// dialogs the wizard shows. Dialog steps press the dialogs' own controls, found by object name.

#include "audit/link_audit.h"
#include "db/record_layer.h"
#include "settings/country_settings.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_text.h"
#include "tests/support/sandbox.h"
#include "wizard/frm_break_down.h"
#include "wizard/frm_main.h"
#include "wizard/frm_pack_qty.h"
#include "wizard/frm_upc.h"
#include "wizard/wizard_context.h"

#include <gtest/gtest.h>
#include <QtWidgets>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace qv::test {

// A unit file with the three units the tests use.
inline void WriteUnitFile(Sandbox& sb) {
    sb.writeFile(QStringLiteral("C:\\KT\\uom.vor"),
                 "[CODE]1[LABEL]EA[DESC]Each\r\n[CODE]3[LABEL]CS[DESC]Case\r\n"
                 "[CODE]4[LABEL]PK[DESC]Pack\r\n");
}

// Answers the dialogs the wizard shows, in order. A dialog the script does not expect fails the
// test and is left unanswered (which the wizard takes as closed).
class DialogScript {
public:
    using Step = std::function<void(QDialog&)>;

    DialogScript& on(const QString& objectName, Step step) {
        steps_.push_back({objectName, std::move(step)});
        return *this;
    }

    void run(QDialog& dialog) {
        shown_.push_back(dialog.objectName());
        if (steps_.empty() || steps_.front().name != dialog.objectName()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString()
                          << (steps_.empty()
                                  ? std::string(" (script finished)")
                                  : " (expected " + steps_.front().name.toStdString() + ")");
            return;
        }
        const Step step = steps_.front().step;
        steps_.pop_front();
        step(dialog);
    }

    bool finished() const { return steps_.empty(); }
    const std::vector<QString>& shown() const { return shown_; }

private:
    struct Entry {
        QString name;
        Step step;
    };
    std::deque<Entry> steps_;
    std::vector<QString> shown_;
};

template <class T>
T* child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << "no control " << name.toStdString() << " on "
                          << w.objectName().toStdString();
    return c;
}

// "Order by" and "Sell by" as a user sets them, then "F10 Accept".
inline DialogScript::Step BreakDownStep(bool orderByCase, std::array<bool, 3> sell) {
    return [=](QDialog& d) {
        auto& f = dynamic_cast<FrmBreakDown&>(d);
        f.Form_Activate();  // what showing the dialog does
        child<QRadioButton>(f, orderByCase ? "Option1_0" : "Option1_1")->click();
        for (int i = 0; i < 3; ++i) {
            QCheckBox* box = child<QCheckBox>(f, QStringLiteral("Check1_%1").arg(i));
            if (!box->isHidden()) {
                box->setChecked(sell[i]);
            }
        }
        child<QPushButton>(f, "CmdAccept_0")->click();
    };
}

inline DialogScript::Step CancelBreakDownStep() {
    return [](QDialog& d) { child<QPushButton>(d, "CmdAccept_1")->click(); };
}

// Checks the question, types the number and presses " Accept".
inline DialogScript::Step QuantityStep(const QString& question, const QString& typed) {
    return [=](QDialog& d) {
        auto& q = dynamic_cast<FrmPackQty&>(d);
        EXPECT_EQ(q.question(), question);
        child<QLineEdit>(q, "Text1")->setText(typed);
        child<QPushButton>(q, "Command1")->click();
        EXPECT_TRUE(q.Number().has_value())
            << "the quantity " << typed.toStdString() << " was not taken";
    };
}

inline DialogScript::Step UpcStep(const QString& typed, bool accept = true) {
    return [=](QDialog& d) {
        child<QLineEdit>(d, "TxtUPC")->setText(typed);
        child<QPushButton>(d, accept ? "CmdExit_1" : "CmdExit_0")->click();
    };
}

// The main form, driven by a test function while ShowMainForm would have it on screen.
inline DialogScript::Step MainFormStep(std::function<void(FrmMain&)> act) {
    return [act = std::move(act)](QDialog& d) { act(dynamic_cast<FrmMain&>(d)); };
}

struct WizardWorld {
    static constexpr std::int32_t kRootRecordNum = 100;

    // The case the tests link: 24 bottles bought by the case, average cost 30.00.
    static db::InventoryRecord Root() {
        return Inventory(
            "SL=5000001 | ItemID=CASE-LAGER | Description=HARBOUR LAGER 24 X 330ML | "
            "SubDescription=24PK | ReorderFlag=Y | VendorCode=V200 | Price=45 | Cost=30 | "
            "AvgCost=30 | "
            "QtyOnHand=10 | MinQ=2 | MaxQ=20 | QTYINPACK=1 | TaxCode=A | DeptCode=BEER | Poll=Y | "
            "UOM=CS | RecordNum=100");
    }

    static QString RootUpc() { return QStringLiteral("9412345000019"); }

    explicit WizardWorld(int items = 30, bool withRoot = true, bool rootUpc = true)
        : fx(sb, DbFixture::Options{items}),
          country(sb.services, fx.run),
          ctx(contextOver(*fx.layer)) {
        EXPECT_TRUE(fx.ok()) << fx.error.toStdString();
        if (withRoot && fx.ok()) {
            EXPECT_TRUE(insertItem(Root(), rootUpc ? RootUpc() : QString()));
        }
    }

    db::RecordLayer& layer() { return *fx.layer; }
    RunValues& run() { return fx.run; }

    // The wizard's context over one of this world's record layers: picks and dialogs scripted.
    WizardContext contextOver(db::RecordLayer& l) {
        return {sb.services,
                fx.run,
                l,
                country,
                fx.dataFolder,
                [this] { return nextPick(); },
                0,
                [this](QDialog& d) { script.run(d); }};
    }

    // The program started with "UID=" and the root's record number.
    void startWithRoot() {
        run().SelectedItemID = QString::number(kRootRecordNum);
        ctx.startRecordNum = kRootRecordNum;
    }

    QString nextPick() {
        if (picks.empty()) {
            ADD_FAILURE() << "the item lookup was opened once more than expected";
            return {};
        }
        const QString sl = picks.front();
        picks.pop_front();
        return sl;
    }

    bool insertItem(const db::InventoryRecord& item, const QString& upc = {}) {
        layer().Inventory = item;
        if (!layer().RecordOp(db::kInventoryTable, db::op::Insert, 0)) {
            return false;
        }
        if (upc.isEmpty()) {
            return true;
        }
        layer().Upc = Upc(QStringLiteral("SL=%1 | UPC=%2 | POLL=Y | InvUID=%3")
                              .arg(item.SL.str(), upc)
                              .arg(item.RecordNum));
        return layer().RecordOp(db::kUpcTable, db::op::Insert, 0);
    }

    // A second connection, as another program would see the database.
    db::RecordLayer& checker() {
        if (!checker_) {
            checker_ = fx.makeLayer();
            EXPECT_TRUE(checker_->OpenAllTables() && checker_->OpenDataTables());
        }
        return *checker_;
    }

    std::optional<db::InventoryRecord> rowByNum(std::int32_t recordNum) {
        db::RecordLayer& c = checker();
        if (!c.GetInventoryByRecordNum(recordNum)) {
            return std::nullopt;
        }
        return c.Inventory;
    }

    // The items the wizard works on (the root and what it makes: record numbers from 100 on)
    // with their UPC rows, one to a line, the audit's report and the log of the last item
    // created.
    QString linkedRows() {
        db::RecordLayer& c = checker();
        QString out;
        QString items =
            QStringLiteral("SELECT * FROM invt1 WHERE RecordNum >= 100 ORDER BY RecordNum");
        for (bool found = c.RecordOp(db::kInventoryTable, db::op::BySQL, 0, false, false, items);
             found && !c.CurrentRow(db::kInventoryTable)->eof();
             c.CurrentRow(db::kInventoryTable)->moveNext()) {
            c.RowToRecord(db::kInventoryTable);
            out += RecordText(c.Inventory) + u'\n';
        }
        QString upcs =
            QStringLiteral("SELECT * FROM UPC1 WHERE InvUID >= 100 ORDER BY InvUID, UPC");
        for (bool found = c.RecordOp(db::kUpcTable, db::op::BySQL, 0, false, false, upcs);
             found && !c.CurrentRow(db::kUpcTable)->eof();
             c.CurrentRow(db::kUpcTable)->moveNext()) {
            c.RowToRecord(db::kUpcTable);
            out += QStringLiteral("UPC ") + RecordText(c.Upc) + u'\n';
        }
        // What the audit of linked items finds in the store the wizard made.
        db::DbError e;
        const auto report = audit::Audit(*c.engine(), {"invt1", "UPC1"}, e);
        out += QStringLiteral("audit: ") +
               (report ? audit::ReportLines(*report).join(QStringLiteral(" / ")) : e.description);
        return out + QStringLiteral("\nQZV.txt: ") +
               QString(logFile()).replace(QStringLiteral("\r\n"), QStringLiteral(" / ")) + u'\n';
    }

    // Every row a statement reads, each as its column values joined by "|", in the order read.
    QStringList tableRows(int table, QString select) {
        db::RecordLayer& c = checker();
        QStringList rows;
        if (!c.RecordOp(table, db::op::BySQL, 0, false, false, select)) {
            return rows;
        }
        for (db::RowSet* rs = c.CurrentRow(table); rs && !rs->eof(); rs->moveNext()) {
            QStringList values;
            for (int i = 0; i < rs->fieldCount(); ++i) {
                values << rs->value(i).toText();
            }
            rows << values.join(u'|');
        }
        return rows;
    }
    // The whole store: the inventory and UPC tables.
    QStringList storeRows() {
        return tableRows(db::kInventoryTable,
                         QStringLiteral("SELECT * FROM invt1 ORDER BY RecordNum")) +
               tableRows(db::kUpcTable, QStringLiteral("SELECT * FROM UPC1 ORDER BY InvUID, UPC"));
    }

    std::int64_t inventoryCount() { return checker().InventoryRowCount().value_or(-1); }

    QString logFile() const {
        return sb.readFile(sb.app.programFolder + QStringLiteral("/QZV.txt"));
    }

    Sandbox sb;
    DbFixture fx;
    CountrySettings country;
    DialogScript script;
    std::deque<QString> picks;
    WizardContext ctx;

private:
    std::unique_ptr<db::RecordLayer> checker_;
};

}  // namespace qv::test
