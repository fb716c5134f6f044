#pragma once

// The typical run of the wizard, shared by the run made with clicks and the one typed with
// keys: a case of lager ordered by the case and sold by the pack (12 in the case) and the
// single (6 in the pack). What it leaves in the database is typical_run_rows.txt.

#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/wizard/wizard_world.h"

namespace qv::test {

inline const QString kCaseUpcQuestion =
    QStringLiteral("Will Case UPC be scanned when selling packs and/or Singles?");
inline const QString kPacksInCase = QStringLiteral("Enter Number of Packs in the Case");
inline const QString kSinglesInPack = QStringLiteral("Enter Number of single items in the Pack");

// The main form's part of the run, with the mouse: boxes filled and buttons clicked. The form
// as it stands after each step is added to `forms`.
inline void ClickTypicalRun(FrmMain& f, QString* forms = nullptr) {
    const auto snap = [&](const char* when) {
        if (forms) {
            *forms += QStringLiteral("=== ") + when + u'\n' + FormState(f);
        }
    };
    snap("the root on screen");
    f.CmdLink(0)->click();
    snap("a pack made from the root");
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(2)->setText("6PK");
    f.Text1(3)->setText("9412345000026");
    f.Text1(4)->setText("12.99");
    f.CboUOM(0)->setCurrentIndex(2);
    f.CmdLink(2)->click();
    snap("the pack saved: the buttons move on to the single");
    f.CmdLink(0)->click();
    snap("a single made from the pack");
    f.Text1(10)->setText("HARBOUR LAGER 330ML");
    f.Text1(9)->setText("330ML");
    f.Text1(8)->setText("9412345000033");
    f.Text1(7)->setText("2.50");
    f.CmdLink(2)->click();
    snap("the single saved");
    f.CmdEsc()->click();
    EXPECT_TRUE(f.EndRequested());
}

// The rows the run leaves: the pack and the single with their UPCs, the root linked to both.
inline void ExpectTypicalRunRows(WizardWorld& w) {
    ExpectGolden("wizard/typical_run_rows.txt", w.linkedRows());
    EXPECT_EQ(w.inventoryCount(), 33);
}

}  // namespace qv::test
