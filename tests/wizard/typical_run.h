#pragma once

// The typical run of the wizard, shared by the run made with clicks and the one typed with
// keys: a case of lager ordered by the case and sold by the pack (12 in the case) and the
// single (6 in the pack). What it leaves in the database is typical_run_rows.txt.

#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/ui_steps.h"
#include "tests/wizard/wizard_world.h"

namespace qv::test {

inline const QString kCaseUpcQuestion =
    QStringLiteral("Will Case UPC be scanned when selling packs and/or Singles?");
inline const QString kPacksInCase = QStringLiteral("Enter Number of Packs in the Case");
inline const QString kSinglesInPack = QStringLiteral("Enter Number of single items in the Pack");

// The main form's part of the run, with the mouse (typical_run.steps). The form as it stands
// after each step is added to `forms`.
inline void ClickTypicalRun(FrmMain& f, QString* forms = nullptr) {
    RunUiSteps([&f] { return &f; }, "wizard/typical_run.steps",
               [&](const QString&, const QStringList& label) {
                   if (forms) {
                       *forms += QStringLiteral("=== ") + label.value(0) + u'\n' + FormState(f);
                   }
               });
    EXPECT_TRUE(f.EndRequested());
}

// The rows the run leaves: the pack and the single with their UPCs, the root linked to both;
// and every row of the store, column by column, the same whether clicked or typed.
inline void ExpectTypicalRunRows(WizardWorld& w) {
    ExpectGolden("wizard/typical_run_rows.txt", w.linkedRows());
    ExpectGolden("wizard/typical_run_store.txt", w.storeRows().join(u'\n') + u'\n');
}

}  // namespace qv::test
