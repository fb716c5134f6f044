#!/usr/bin/env python3
"""Seeds deliberate faults into a copy of the tree, one at a time, and reports which of them
the test suite catches.

The working tree is copied (tracked and untracked, not ignored, files) into a folder of its own
that is a git repository; each fault replaces one exact piece of text in one file there, the
fault's test executable is rebuilt and run, and the file is restored with git before the next
fault. A fault counts as killed when the executable fails (or times out); a fault whose text is
not found exactly once, or that does not build, is reported as such and not counted.

    scripts/seed-faults.sh [--list] [--check] [--killers] [--only ID,ID,...] [--dir DIR]
                           [--jobs N]

--check only verifies that every fault applies to the current tree. --killers runs the whole
executable for each fault and names every test that failed, not only the first.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

# (id, test executable, file, text to replace, replacement, what the fault does)
FAULTS = [
    # --- platform ---------------------------------------------------------------------------
    ("P1", "platform_tests", "platform/profile_file.cpp",
     "return a.compare(b, Qt::CaseInsensitive) == 0;",
     "return a.compare(b, Qt::CaseSensitive) == 0;",
     "INI section and key names compared with case"),
    ("P2", "platform_tests", "platform/file_system.cpp",
     "p = driveRoot_ + u'/' + p.at(0).toUpper() + rest;",
     "p = driveRoot_ + u'/' + p.at(0) + rest;",
     "drive letter of a DOS path not upper-cased"),
    ("P3", "platform_tests", "platform/message_boxes.cpp",
     "if (i + 1 < text.size() && text.at(i + 1) == u'\\n') {\n                ++i;",
     "if (false) {\n                ++i;",
     "CR LF in a message becomes two line breaks"),
    ("P4", "platform_tests", "platform/message_boxes.cpp",
     "mb.setDefaultButton(secondIsDefault ? second : first);",
     "mb.setDefaultButton(second);",
     "Yes/No and Retry/Cancel boxes default to their second button"),
    # --- settings ---------------------------------------------------------------------------
    ("S1", "sql_tests+settings_tests", "sql/currency.cpp",
     "if ((mag % div) * 2 >= static_cast<std::uint64_t>(div) && div > 1) {",
     "if ((mag % div) * 2 > static_cast<std::uint64_t>(div) && div > 1) {",
     "amounts shown with halves rounded down"),
    ("S2", "settings_tests", "settings/vb_text.cpp",
     "while (end > start && text.at(end - 1) == u' ') {",
     "while (false && end > start) {",
     "GetTaggedValue keeps trailing blanks"),
    ("S3", "settings_tests", "settings/vb_text.cpp",
     "if (v <= 0xFFFFu) {",
     "if (v < 0xFFFFu) {",
     "Val reads &HFFFF as 65535"),
    ("S4", "settings_tests", "settings/country_settings.cpp",
     "{u'K', 0b01010}",
     "{u'K', 0b01001}",
     "tax code K sums the wrong rates"),
    ("S5", "settings_tests", "settings/country_settings.cpp",
     "saleDate < GstChangeDate) {",
     "saleDate <= GstChangeDate) {",
     "sales on the GST change date taxed at the old rate"),
    ("S6", "settings_tests", "settings/country_settings.cpp",
     "wholeCount(drawers.mid(4, 2))",
     "wholeCount(drawers.mid(5, 2))",
     "drawer count read from the wrong characters"),
    ("S7", "settings_tests", "settings/form_helpers.cpp",
     "? 0.75 : -0.75;",
     "? 0.75 : 0.75;",
     "fonts other than MS Sans Serif grow instead of shrinking"),
    ("S8", "datapath_tests", "settings/function_keys.cpp",
     "return name.startsWith(QStringLiteral(\"cmd\")) || name.startsWith(QStringLiteral(\"Cmd\"));",
     "return name.startsWith(QStringLiteral(\"cmd\"));",
     "function keys ignore buttons named Cmd..."),
    ("S9", "sql_tests+settings_tests", "sql/currency.cpp",
     "return fromScaled(static_cast<std::int64_t>(std::nearbyint(scaled)));  // half to even",
     "return fromScaled(static_cast<std::int64_t>(std::round(scaled)));  // half to even",
     "amounts from doubles round halves away from zero"),
    # --- db ---------------------------------------------------------------------------------
    ("D1", "db_tests", "db/sql_text.cpp",
     "out.replace(QStringLiteral(\"'\"), QStringLiteral(\"''\"));",
     "out.replace(QStringLiteral(\"'\"), QStringLiteral(\" \"));",
     "SqlSafeText blanks apostrophes of the first segments instead of doubling them"),
    ("D2", "db_tests", "db/record_layer.cpp",
     "        statement = ltrimItemIds(statement);\n    }\n    if (cmp ==",
     "    }\n    if (cmp ==",
     "keyed item-code statements without ltrim"),
    ("D3", "db_tests", "db/record_layer.cpp",
     "order << (last ? c + QStringLiteral(\" DESC\") : c);",
     "order << (last ? c : c + QStringLiteral(\" DESC\"));",
     "Get First and Get Last with DESC reversed"),
    ("D4", "db_tests", "db/table_setup.cpp",
     "        return 11;",
     "        return 1;",
     "record numbers of an empty table start at 1"),
    ("D5", "db_tests", "db/record_layer.cpp",
     "QStringLiteral(\") > 1 AND \")",
     "QStringLiteral(\") > 0 AND \")",
     "two-segment stepping counts a first value held by one row as repeated"),
    ("D6", "db_tests", "db/record_layer.cpp",
     "if (table == kInventoryTable) {\n        writeRecallLines(table);",
     "if (false) {\n        writeRecallLines(table);",
     "deleted inventory rows leave no recall line"),
    ("D7", "sql_tests+db_tests", "sql/collation.cpp",
     "return w < blank ? 1 : -1;",
     "return w < blank ? -1 : 1;",
     "collation compares a shorter text's padding the wrong way"),
    ("D8", "sql_tests+db_tests", "sql/sqlite/tsql_emitter.cpp",
     "const auto above = neighbour(last, true);",
     "const auto above = neighbour(last, false);",
     "LEFT(...)= range gets the wrong upper bound"),
    ("D9", "db_tests", "db/record_fields.cpp",
     "segment <= 3, 0)",
     "segment <= 2, 0)",
     "third key segment blanks apostrophes instead of doubling them"),
    ("D10", "db_tests", "db/table_setup.cpp",
     "QStringLiteral(\" ALTER COLUMN itemID CHAR(25)\")",
     "QStringLiteral(\" ALTER COLUMN itemID CHAR(15)\")",
     "upgrade leaves item codes at 15 characters"),
    ("D11", "db_tests", "db/record_layer.cpp",
     "if (cmp == u\"<\" || cmp == u\"<=\") {\n        statement += QStringLiteral(\" DESC\");",
     "if (cmp == u\"<\") {\n        statement += QStringLiteral(\" DESC\");",
     "Get Less or Equal reads forward"),
    ("D12", "db_tests", "db/connection.cpp",
     "const bool embedded = server.trimmed().compare(local, Qt::CaseInsensitive) == 0;",
     "const bool embedded = server.trimmed().compare(local, Qt::CaseSensitive) == 0;",
     "this computer's server named in other case taken for a remote one"),
    ("D13", "sql_tests", "sql/odbc/odbc_connection.cpp",
     "QString port = QStringLiteral(\"1433\");",
     "QString port = QStringLiteral(\"1434\");",
     "ODBC connection string with the wrong default port"),
    ("D14", "db_tests", "db/store_builder.cpp",
     "layer.engine()->rollback(e);",
     "(void)e;",
     "a failed store fill is not rolled back"),
    ("D15", "sql_tests+db_tests", "sql/sqlite/sqlite_connection.cpp",
     "ErrorKind::Busy);",
     "ErrorKind::Other);",
     "a lock another connection holds is not reported as busy"),
    ("D16", "db_tests", "db/record_layer.cpp",
     "if (busyPrompt_(error)) {\n        return true;",
     "if (busyPrompt_(error)) {\n        return false;",
     "Retry on the busy question does not wait again"),
    ("D17", "sql_tests", "sql/odbc/odbc_diagnostics.cpp",
     "        case 1205:  // chosen as deadlock victim\n",
     "",
     "SQL Server's deadlock victim not taken as busy"),
    # --- datapath ---------------------------------------------------------------------------
    ("A1", "datapath_tests", "datapath/data_path.cpp",
     "Val(Station_) > MaxStations_",
     "Val(Station_) >= MaxStations_",
     "the highest station number is refused"),
    ("A2", "datapath_tests", "datapath/data_path.cpp",
     "bool clsDataPath::PathExistsOrCreate(const QString& path, const QString& kind) {\n"
     "    if (services_.fs.dirExists(path)) {",
     "bool clsDataPath::PathExistsOrCreate(const QString& path, const QString& kind) {\n"
     "    if (services_.fs.fileExists(path) || services_.fs.dirExists(path)) {",
     "data path validation accepts a file as the folder"),
    ("A3", "datapath_tests", "datapath/data_path.cpp",
     "    if (dataPath.DataPath_.endsWith(u'\\\\')) {\n        dataPath.DataPath_.chop(1);",
     "    if (false) {\n        dataPath.DataPath_.chop(1);",
     "the stored data folder keeps its trailing backslash"),
    ("A4", "datapath_tests", "datapath/frm_sm_datapath2.cpp",
     "cboEdit_, chkNetwork_, ckTest_, cmdHelp_,",
     "cboEdit_, ckTest_, chkNetwork_, cmdHelp_,",
     "wrong Tab order in the data path dialog"),
    ("A5", "datapath_tests", "datapath/data_path.cpp",
     "            run.LocalSafeMode = true;\n",
     "",
     "an unreachable safe folder does not turn on local safe mode"),
    ("A6", "datapath_tests", "datapath/data_path.cpp",
     "dataPath.MaxStations_ = iMaxStations > 50 ? iMaxStations : std::int16_t{50};",
     "dataPath.MaxStations_ = iMaxStations > 50 ? iMaxStations : std::int16_t{4};",
     "the start offers only the configured stations"),
    ("A7", "datapath_tests", "datapath/frm_smfile_path.cpp",
     "SetTabOrder({drvBrowse_, txtFileSpec_, dirBrowse_, fileBrowse_,",
     "SetTabOrder({dirBrowse_, txtFileSpec_, drvBrowse_, fileBrowse_,",
     "wrong Tab order in the path browser"),
    # --- lookup -----------------------------------------------------------------------------
    ("L1", "lookup_tests", "lookup/lookup_engine.cpp",
     "    int row = 2;\n    for (; row <= s_.pageRows; ++row) {",
     "    int row = 2;\n    for (; row < s_.pageRows; ++row) {",
     "off-by-one in lookup paging: the last row of a page stays blank"),
    ("L2", "lookup_tests", "lookup/sl_code.cpp",
     "    return c.left(7) + u'.' + c.right(1);",
     "    return c.left(6) + u'.' + c.right(2);",
     "S/L display puts the point one place early"),
    ("L3", "lookup_tests", "lookup/sl_code.cpp",
     "return QString(kEntryWidth - r.size(), u' ') + r;",
     "return r + QString(kEntryWidth - r.size(), u' ');",
     "typed short S/L numbers left-aligned"),
    ("L4", "lookup_tests", "lookup/lookup_search.cpp",
     "                out += QStringLiteral(\"[_]\");",
     "                out += QStringLiteral(\"_\");",
     "typed underscore searched as a wildcard"),
    ("L5", "lookup_tests", "lookup/lookup_engine.cpp",
     "const double rows = (gridHeightTwips - 600) / 600.0 + 1.0;",
     "const double rows = (gridHeightTwips - 600) / 600.0;",
     "rows per page one short"),
    ("L6", "lookup_tests", "lookup/frm_lookup.cpp",
     "fgrdItems_, cmdPage_[0],\n                 cmdPage_[1],",
     "fgrdItems_, cmdPage_[1],\n                 cmdPage_[0],",
     "wrong Tab order in the lookup"),
    ("L7", "lookup_tests", "lookup/lookup_engine.cpp",
     "            return {{QStringLiteral(\"ltrim(ItemID)\"),",
     "            return {{QStringLiteral(\"ItemID\"),",
     "lookup item-code order without ltrim"),
    ("L8", "lookup_tests", "lookup/lookup_engine.cpp",
     "const int lastUsable = std::max(pageRows - 1, 1);",
     "const int lastUsable = std::max(pageRows, 1);",
     "row down at the page boundary does not shift the page"),
    ("L9", "lookup_tests", "lookup/lookup_support.h",
     "return rec.Status.str().startsWith(u'D');",
     "return rec.Status.str().startsWith(u'd');",
     "deleted items listed"),
    # --- wizard -----------------------------------------------------------------------------
    ("W1", "wizard_tests", "wizard/item_linker.cpp",
     "source.AvgCost.dividedBy(quantity)",
     "source.AvgCost.dividedBy(quantity + 1)",
     "wrong cost division in item creation"),
    ("W2", "wizard_tests", "wizard/frm_main.cpp",
     "single[0],   single[1],",
     "single[1],   single[0],",
     "wrong Tab order in FrmMain's SetTabOrder list"),
    ("W3", "wizard_tests", "wizard/item_linker.cpp",
     "        result.error = *failed;\n        layer_.RollbackTransaction();",
     "        result.error = *failed;\n        layer_.CommitTransaction();",
     "missing rollback: a refused item keeps its UPC row"),
    ("W4", "wizard_tests", "wizard/item_linker.cpp",
     "kind == ItemKind::Pack ? QStringLiteral(\"P\") : QStringLiteral(\"I\")",
     "kind == ItemKind::Pack ? QStringLiteral(\"I\") : QStringLiteral(\"P\")",
     "pack and single flags swapped"),
    ("W5", "wizard_tests", "wizard/item_linker.cpp",
     "    layer_.Inventory.QZV1 = packRecordNum;\n    layer_.Inventory.QZV2 = singleRecordNum;",
     "    layer_.Inventory.QZV1 = singleRecordNum;\n    layer_.Inventory.QZV2 = packRecordNum;",
     "root links to pack and single swapped"),
    ("W6", "wizard_tests", "wizard/item_linker.cpp",
     "if (t.size() < 5 || t.size() > 15) {",
     "if (t.size() < 4 || t.size() > 15) {",
     "four-digit UPCs accepted"),
    ("W7", "wizard_tests", "wizard/sl_create.cpp",
     "std::floor(*shown)) + 1);",
     "std::floor(*shown)) + 2);",
     "the next S/L code skips one"),
    ("W8", "wizard_tests", "wizard/item_linker.cpp",
     "sourceId.startsWith(u'*') ? u'/' + sourceId.mid(1) : u'*' + sourceId;",
     "sourceId.startsWith(u'*') ? u'*' + sourceId.mid(1) : u'*' + sourceId;",
     "a single made from a pack keeps the pack's item-code mark"),
    ("W9", "wizard_tests", "wizard/frm_break_down.cpp",
     "SetTabOrder({Option1_[0], Option1_[1], Check1_[0], Check1_[1], Check1_[2],",
     "SetTabOrder({Option1_[0], Option1_[1], Check1_[1], Check1_[0], Check1_[2],",
     "wrong Tab order in the units dialog"),
    ("W10", "wizard_tests", "wizard/item_linker.cpp",
     "*v < 1 || *v > 32767",
     "*v < 0 || *v > 32767",
     "a quantity of 0 accepted"),
    ("W11", "wizard_tests", "wizard/sl_create.cpp",
     "if (last == u'Z' && sl.size() < 7) {",
     "if (last == u'Z' && sl.size() < 8) {",
     "a seven-character code ending in Z gets an A"),
    ("W12", "wizard_tests", "wizard/item_linker.cpp",
     "    r.QtyOnHand = 0;\n",
     "",
     "a new linked item copies the root's quantity on hand"),
    ("W13", "wizard_tests", "wizard/uom_list.cpp",
     "return fitCode(GetTaggedValue(line, kLabel, stop)) + QStringLiteral(\" - \") +",
     "return fitCode(GetTaggedValue(line, kLabel, stop)) + QStringLiteral(\"- \") +",
     "unit entries without the blank before the separator"),
    ("W14", "wizard_tests", "wizard/upc_check.cpp",
     "if (const std::optional<UpcHolder> holder = Holder(*code, context.ownRecordNum)) {",
     "if (const std::optional<UpcHolder> holder = std::nullopt; holder) {",
     "a UPC that belongs to another item is not named"),
    ("W15", "wizard_tests", "wizard/upc_check.cpp",
     "int weight = 3;",
     "int weight = 1;",
     "check digit weights 1 and 3 instead of 3 and 1 from the right"),
    ("W16", "wizard_tests", "wizard/upc_check.cpp",
     "if (indicator < 1 || indicator > 8) {",
     "if (indicator < 1 || indicator > 9) {",
     "indicator 9 (variable measure) taken as a case code"),
    ("W17", "wizard_tests", "wizard/item_linker.cpp",
     "if ((!newNumber && !newSl) || ++tries > kMaxSaveTries) {",
     "if (true || ++tries > kMaxSaveTries) {",
     "a save that met another station's number or code is not made again"),
    ("W18", "startup_tests", "wizard/frm_main_save.cpp",
     "if (kept == code || ",
     "if (",
     "a code kept despite its check digit is asked about again at the save"),
    # --- startup ----------------------------------------------------------------------------
    ("T1", "startup_tests", "startup/command_line.cpp",
     "recordNum = RoundToInt32(Val(uid)).value_or(0);",
     "recordNum = static_cast<std::int32_t>(Val(uid));",
     "UID= truncated instead of rounded"),
    ("T2", "startup_tests", "startup/command_line.cpp",
     "if (values.DataPath.toUpper() == QStringLiteral(\"C:\\\\TRAINING\")) {",
     "if (values.DataPath == QStringLiteral(\"C:\\\\TRAINING\")) {",
     "training folder recognised only in upper case"),
    ("T3", "startup_tests", "startup/search_settings.cpp",
     "        values.InventorySearchBy = 2;",
     "        values.InventorySearchBy = 1;",
     "\"Stock Locater\" selects the wrong search column"),
    ("T4", "startup_tests", "startup/entry_routine.cpp",
     "    if (v.DataPath.isEmpty()) {\n        v.DataPath = s.gDataPath.DataPath();\n    }\n",
     "",
     "the stored data folder does not replace an empty one"),
    # --- audit ------------------------------------------------------------------------------
    ("U1", "audit_tests", "audit/link_audit.cpp",
     "(diff->scaled() > kHalfCent || diff->scaled() < -kHalfCent)",
     "(diff->scaled() >= kHalfCent || diff->scaled() <= -kHalfCent)",
     "a cost off by exactly half a cent reported as drift"),
    ("U2", "audit_tests", "audit/link_audit.cpp",
     "if (flagged && root.flag != u'R') {",
     "if (flagged && false) {",
     "a root of packs without FlgQZV \"R\" not reported"),
    ("U3", "audit_tests", "audit/link_audit.cpp",
     "if (!rootDeposit.isEmpty() && r.linkItem.trimmed().isEmpty()) {",
     "if (false) {",
     "a pack without its root's bottle deposit not reported"),
    ("U4", "audit_tests", "audit/audit_repair.cpp",
     "            engine.rollback(ignored);\n            return fail(p.what",
     "            engine.commit(ignored);\n            return fail(p.what",
     "a repair whose write failed is not rolled back"),
    ("U5", "audit_tests", "audit/audit_repair.cpp",
     "rec.QZV1 != b.qzv1 || rec.QZV2 != b.qzv2 || rec.AvgCost != b.avgCost ||",
     "rec.QZV1 != b.qzv1 || rec.QZV2 != b.qzv2 ||",
     "a cost changed since the audit read it is written over"),
    ("U6", "audit_tests", "audit/audit_repair.cpp",
     "if (!db::AppendRecallLines(recall.fs, recall.path, recall.userId, recall.exeName, p.table,\n                                   p.recallValues)) {",
     "if (false) {",
     "the repair keeps no recall lines of the rows it changes"),
    ("U7", "audit_tests", "startup/audit_command.cpp",
     "return report->findings.empty() ? kAuditClean : kAuditFindings;",
     "return kAuditClean;",
     "the audit command exits 0 when it found something"),
]


def run(cmd, cwd=None, env=None, timeout=None, capture=True):
    return subprocess.run(cmd, cwd=cwd, env=env, timeout=timeout, text=True,
                          stdout=subprocess.PIPE if capture else None,
                          stderr=subprocess.STDOUT if capture else None)


def source_files(repo):
    out = run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=repo).stdout
    return [p for p in out.split("\0") if p]


def sync_tree(repo, tree):
    """Copies the working tree into `tree` (changed files only, so that builds stay warm) and
    commits it there, so that every fault starts from the same pristine state."""
    os.makedirs(tree, exist_ok=True)
    wanted = set(source_files(repo))
    for rel in wanted:
        src, dst = os.path.join(repo, rel), os.path.join(tree, rel)
        if not os.path.isfile(src):
            continue
        with open(src, "rb") as f:
            data = f.read()
        if os.path.isfile(dst):
            with open(dst, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        with open(dst, "wb") as f:
            f.write(data)
    if not os.path.isdir(os.path.join(tree, ".git")):
        run(["git", "init", "-q"], cwd=tree)
    for rel in source_files(tree):
        if rel not in wanted:
            os.remove(os.path.join(tree, rel))
    git = ["git", "-c", "user.name=seed", "-c", "user.email=seed@localhost"]
    run(["git", "add", "-A"], cwd=tree)
    run(git + ["commit", "-q", "--allow-empty", "-m", "pristine"], cwd=tree)


def restore(tree):
    run(["git", "checkout", "-q", "--", "."], cwd=tree)


def apply_fault(tree, fault):
    _, _, path, old, new, _ = fault
    full = os.path.join(tree, path)
    if not os.path.isfile(full):
        return "file missing"
    with open(full, encoding="utf-8") as f:
        text = f.read()
    n = text.count(old)
    if n != 1:
        return "text found %d times" % n
    with open(full, "w", encoding="utf-8") as f:
        f.write(text.replace(old, new))
    return None


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(here)
    ap = argparse.ArgumentParser()
    ap.add_argument("--dir", default=os.path.join(repo, "build-faults"))
    ap.add_argument("--only", default="")
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--check", action="store_true")
    ap.add_argument("--killers", action="store_true")
    ap.add_argument("--jobs", default=str(os.cpu_count() or 2))
    ap.add_argument("--timeout", type=int, default=600)
    args = ap.parse_args()

    faults = FAULTS
    if args.only:
        ids = set(args.only.split(","))
        faults = [f for f in FAULTS if f[0] in ids]
    if args.list:
        for f in faults:
            print("%-4s %-15s %-32s %s" % (f[0], f[1], f[2], f[5]))
        return 0

    tree = os.path.join(args.dir, "tree")
    build = os.path.join(args.dir, "build")
    sync_tree(repo, tree)
    restore(tree)

    if args.check:
        bad = 0
        for f in faults:
            why = apply_fault(tree, f)
            restore(tree)
            if why:
                bad += 1
                print("%-4s does not apply: %s" % (f[0], why))
        print("%d of %d faults apply" % (len(faults) - bad, len(faults)))
        return 1 if bad else 0

    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", CCACHE_BASEDIR=args.dir)
    configure = ["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=Debug",
                 "-DCMAKE_CXX_FLAGS_DEBUG=-O0", "-DQUORVANE_BENCH=OFF"]
    if shutil.which("ccache"):
        configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    r = run(configure, env=env)
    if r.returncode != 0:
        print(r.stdout)
        return 2

    def build_target(target):
        return run(["cmake", "--build", build, "-j", args.jobs, "--target", target], env=env)

    def test(target):
        exe = os.path.join(build, "tests", target)
        try:
            first = [] if args.killers else ["--gtest_fail_fast"]
            r = run([exe, "--gtest_brief=1"] + first, cwd=build, env=env, timeout=args.timeout)
            return r.returncode == 0, r.stdout
        except subprocess.TimeoutExpired:
            return False, "timed out"

    # The pristine tree must build and pass, or no kill means anything.
    targets = sorted({t for f in faults for t in f[1].split("+")})
    for target in targets:
        r = build_target(target)
        ok, out = (r.returncode == 0, r.stdout) if r.returncode != 0 else test(target)
        if not ok:
            print("pristine %s fails; no faults seeded\n%s" % (target, out[-3000:]))
            return 2

    results = []
    for f in faults:
        start = time.time()
        why = apply_fault(tree, f)
        if why:
            status = "NOT APPLIED (%s)" % why
        else:
            # A fault may be caught by the tests of the library itself or of those built on it
            # ("sql_tests+db_tests"): killed when any of them fails.
            status, out = "survived", ""
            for target in f[1].split("+"):
                r = build_target(target)
                if r.returncode != 0:
                    status = "DOES NOT BUILD"
                    break
                passed, out = test(target)
                if not passed:
                    status = "killed"
                    if args.killers:
                        failed = sorted({line.split()[3] for line in out.splitlines()
                                         if line.startswith("[  FAILED  ]")
                                         and len(line.split()) > 3 and "." in line.split()[3]})
                        status += " by " + " ".join(failed)
                    break
        restore(tree)
        results.append((f, status))
        print("%-4s %-8s %-15s %s (%.0f s)" % (f[0], status, f[1], f[5], time.time() - start),
              flush=True)

    # Leave the build matching the pristine tree.
    for target in targets:
        build_target(target)

    killed = sum(1 for _, s in results if s.startswith("killed"))
    applied = sum(1 for _, s in results if s.startswith(("killed", "survived")))
    print("\nkilled %d of %d faults (%d applied and built)" % (killed, len(results), applied))
    for f, s in results:
        if not s.startswith("killed"):
            print("  %s %s: %s" % (f[0], s, f[5]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
