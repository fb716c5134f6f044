#include "audit/link_audit.h"

#include "db/inventory_table.h"
#include "db/sql_text.h"
#include "db/upc_table.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>
#include <tuple>

namespace qv::audit {

namespace {

namespace inv = db::inventory;

// Codes compare as the server compares them: trailing blanks and the case of ASCII letters
// do not count; leading blanks do (numeric S/L codes are right-aligned).
QString codeKey(QStringView code) {
    QString key = db::RTrim(code);
    for (QChar& c : key) {
        if (c >= u'a' && c <= u'z') {
            c = QChar(c.unicode() - (u'a' - u'A'));
        }
    }
    return key;
}

// A code's key without a text of its own: up to eight Latin-1 characters packed in a number,
// which is what S/L codes are. Any other code keeps its key as text.
struct CodeKey {
    quint64 packed = 0;  // 0: the empty code, or a code kept in wide
    QString wide;

    friend bool operator==(const CodeKey&, const CodeKey&) = default;
};

size_t qHash(const CodeKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.packed, k.wide);
}

CodeKey keyOf(QStringView code) {
    while (!code.isEmpty() && code.back() == u' ') {
        code.chop(1);
    }
    CodeKey key;
    if (code.size() <= 8) {
        for (qsizetype i = 0; i < code.size(); ++i) {
            char16_t c = code[i].unicode();
            if (c == 0 || c > 0xFF) {
                return {0, codeKey(code)};
            }
            if (c >= u'a' && c <= u'z') {
                c = static_cast<char16_t>(c - (u'a' - u'A'));
            }
            key.packed |= static_cast<quint64>(c) << (8 * i);
        }
        return key;
    }
    return {0, codeKey(code)};
}

// One inventory row, as much of it as the audit looks at. The S/L code as read (CHAR padding
// kept); the other texts without trailing blanks, which no comparison counts: a blank one
// (most links and flags) then holds no memory, and a million rows are held at once.
struct ItemRow {
    QString sl;
    CodeKey slKey;
    QString itemId;
    QString linkBreakPack;
    QString linkItem;
    QChar flag;  // FlgQZV upper-cased, blank when none
    std::int32_t recordNum = 0;
    std::int32_t qtyInPack = 0;
    Currency qtyOnHand;
    LinkFields link;
};

struct UpcRow {
    QString sl;  // as read
    CodeKey slKey;
    QString upc;
    std::int32_t invUid = 0;
};

bool isLinkedFlag(QChar flag) {
    return flag == u'P' || flag == u'I';
}

std::int32_t toInt32(const db::Value& v) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(v.toInteger(), std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

// "SELECT a, b FROM table": the columns of a table by ordinal.
template <std::size_t N>
QString selectColumns(const db::ColumnDef (&columns)[N], std::initializer_list<int> ordinals,
                      const QString& table) {
    QStringList names;
    for (const int o : ordinals) {
        names << QString::fromUtf16(columns[o].name);
    }
    return QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
           table;
}

// Every row of one statement, each made by rowOf from the row as it is read: the rows of a
// large store are never held by the engine as well.
template <class Row, class RowOf>
std::optional<std::vector<Row>> readAll(db::Engine& engine, const QString& select,
                                        db::DbError& error, RowOf rowOf) {
    std::vector<Row> rows;
    const bool read = engine.forEachRow(
        select,
        [&](const db::RowView& row) {
            rows.push_back(rowOf(row));
            return true;
        },
        error);
    return read ? std::optional(std::move(rows)) : std::nullopt;
}

std::optional<std::vector<ItemRow>> readItems(db::Engine& engine, const QString& table,
                                              db::DbError& error) {
    const QString select =
        selectColumns(inv::kColumns,
                      {inv::colRecordNum, inv::colSL, inv::colItemID, inv::colLinkBreakPack,
                       inv::colLinkItem, inv::colFlgQZV, inv::colQZV1, inv::colQZV2,
                       inv::colQTYINPACK, inv::colQtyOnHand, inv::colAvgCost, inv::colCost},
                      table);
    return readAll<ItemRow>(engine, select, error, [](const db::RowView& row) {
        ItemRow r;
        r.recordNum = toInt32(row.value(0));
        r.sl = row.value(1).toText();
        r.slKey = keyOf(r.sl);
        r.itemId = db::RTrim(row.value(2).toText());
        r.linkBreakPack = db::RTrim(row.value(3).toText());
        r.linkItem = db::RTrim(row.value(4).toText());
        r.link.flgQZV = db::RTrim(row.value(5).toText());
        const QString flag = r.link.flgQZV.trimmed();
        r.flag = flag.isEmpty() ? QChar(u' ') : flag.at(0).toUpper();
        r.link.qzv1 = toInt32(row.value(6));
        r.link.qzv2 = toInt32(row.value(7));
        r.qtyInPack = toInt32(row.value(8));
        r.qtyOnHand = row.value(9).toCurrency();
        r.link.avgCost = row.value(10).toCurrency();
        r.link.cost = row.value(11).toCurrency();
        return r;
    });
}

std::optional<std::vector<UpcRow>> readUpcs(db::Engine& engine, const QString& table,
                                            db::DbError& error) {
    namespace upc = db::upc;
    const QString select =
        selectColumns(upc::kColumns, {upc::colSL, upc::colUPC, upc::colInvUID}, table);
    return readAll<UpcRow>(engine, select, error, [](const db::RowView& row) {
        QString sl = row.value(0).toText();
        const CodeKey key = keyOf(sl);
        return UpcRow{std::move(sl), key, row.value(1).toText(), toInt32(row.value(2))};
    });
}

// What a walk up the LinkBreakPack chain from an item ends at.
struct Walk {
    enum class End { Root, Missing, Loop };
    End end = End::Root;
    int head = -1;    // the root; for Missing the item whose link names nothing
    int depth = 0;    // links followed to the head
    int parent = -1;  // the item the start's own link names, -1 when none
};

enum class Role { Root, Pack, Single, Item };

struct Family {
    int head = -1;
    std::vector<int> members;  // linked items other than the head, by depth
};

class Analysis {
public:
    Analysis(std::vector<ItemRow> items, std::vector<UpcRow> upcs)
        : items_(std::move(items)), upcs_(std::move(upcs)) {
        indexNumbers();
        indexCodes();
        familyOf_.assign(items_.size(), -1);
        role_.assign(items_.size(), Role::Item);
        parent_.assign(items_.size(), -1);
        depth_.assign(items_.size(), 0);
        newCost_.assign(items_.size(), std::nullopt);
    }

    AuditReport run(const StoreTables& tables);

private:
    void indexNumbers();
    void indexCodes();
    int bySl(QStringView code);
    int byNum(std::int32_t n) const {
        if (!numSlots_.empty()) {
            const std::int64_t at = std::int64_t{n} - numBase_;
            return at >= 0 && at < static_cast<std::int64_t>(numSlots_.size())
                       ? numSlots_[static_cast<std::size_t>(at)]
                       : -1;
        }
        const auto it = byNum_.constFind(n);
        return it == byNum_.cend() ? -1 : *it;
    }

    Walk walk(int start);
    Family& familyAt(int head);
    void join(int item, const Walk& w, Role role);
    void buildFamilies();
    void checkRoot(Family& f);
    void checkLinkedItems(const Family& f);
    void checkItemCodes(const Family& f);
    void checkUpcs();

    ItemRef ref(int i) const { return {db::RTrim(items_[i].sl), items_[i].recordNum}; }
    QString refText(int i) const { return ItemText(ref(i)); }
    QString roleName(int i) const;
    void add(Check check, int head, std::vector<int> involved, QString text, bool repairable);
    InventoryFix& fixFor(int i);

    std::vector<ItemRow> items_;
    std::vector<UpcRow> upcs_;
    // S/L codes are looked up only for the codes links name, so only those are indexed
    // (wanted_); another code asked for indexes them all.
    QSet<CodeKey> wanted_;
    QHash<CodeKey, int> bySl_;
    bool allCodes_ = false;
    // Record numbers: one slot per number when they are dense (as a store numbers its items),
    // else a hash.
    std::vector<int> numSlots_;
    std::int64_t numBase_ = 0;
    QHash<std::int32_t, int> byNum_;
    QSet<std::int32_t> namedByRoot_;  // record numbers in QZV1/QZV2 of "R" roots
    std::vector<int> familyOf_;       // index of the family's head, -1 outside every family
    std::vector<Role> role_;
    std::vector<int> parent_;
    std::vector<int> depth_;
    std::vector<std::optional<Currency>> newCost_;
    std::vector<Family> families_;
    QHash<int, int> familyIndex_;  // head -> index in families_
    std::vector<Finding> findings_;
    std::vector<InventoryFix> fixes_;
    QHash<int, int> fixIndex_;  // item -> index in fixes_
    std::vector<UpcFix> upcFixes_;
};

// Codes and numbers are unique in a sound table; should one repeat, the first row read holds it.
void Analysis::indexNumbers() {
    const int n = static_cast<int>(items_.size());
    std::int64_t lo = std::numeric_limits<std::int64_t>::max();
    std::int64_t hi = std::numeric_limits<std::int64_t>::min();
    for (const ItemRow& r : items_) {
        lo = std::min<std::int64_t>(lo, r.recordNum);
        hi = std::max<std::int64_t>(hi, r.recordNum);
    }
    if (n > 0 && hi - lo < 2 * std::int64_t{n} + 1024) {
        numBase_ = lo;
        numSlots_.assign(static_cast<std::size_t>(hi - lo + 1), -1);
        for (int i = 0; i < n; ++i) {
            int& slot = numSlots_[static_cast<std::size_t>(items_[i].recordNum - lo)];
            if (slot < 0) {
                slot = i;
            }
        }
    } else {
        byNum_.reserve(n);
        for (int i = n - 1; i >= 0; --i) {
            byNum_.insert(items_[i].recordNum, i);
        }
    }
    for (const ItemRow& r : items_) {
        if (r.flag == u'R') {
            for (const std::int32_t q : {r.link.qzv1, r.link.qzv2}) {
                if (q != 0) {
                    namedByRoot_.insert(q);
                }
            }
        }
    }
}

void Analysis::indexCodes() {
    for (const ItemRow& r : items_) {
        if (isLinkedFlag(r.flag) || namedByRoot_.contains(r.recordNum)) {
            wanted_.insert(keyOf(r.linkBreakPack));
        }
        wanted_.insert(keyOf(r.linkItem));
    }
    wanted_.remove(CodeKey());
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        if (wanted_.contains(items_[i].slKey) && !bySl_.contains(items_[i].slKey)) {
            bySl_.insert(items_[i].slKey, i);
        }
    }
}

int Analysis::bySl(QStringView code) {
    const CodeKey key = keyOf(code);
    if (key == CodeKey()) {
        return -1;
    }
    if (!allCodes_ && !wanted_.contains(key)) {
        allCodes_ = true;
        for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
            if (!bySl_.contains(items_[i].slKey)) {
                bySl_.insert(items_[i].slKey, i);
            }
        }
    }
    const auto it = bySl_.constFind(key);
    return it == bySl_.cend() ? -1 : *it;
}

Walk Analysis::walk(int start) {
    Walk w;
    std::vector<int> seen{start};
    int cur = start;
    for (;;) {
        const ItemRow& r = items_[cur];
        // A root ends the chain, and so does the first item above the start without a pack or
        // single flag: it is the root that never got its flag, unless a root names it (a
        // pack picked from the table keeps the flag it had).
        if (r.flag == u'R' ||
            (cur != start && !isLinkedFlag(r.flag) && !namedByRoot_.contains(r.recordNum))) {
            w.head = cur;
            return w;
        }
        const int up = bySl(r.linkBreakPack);
        if (cur == start) {
            w.parent = up;
        }
        if (up < 0) {
            w.end = Walk::End::Missing;
            w.head = cur;
            return w;
        }
        if (std::find(seen.begin(), seen.end(), up) != seen.end()) {
            return {Walk::End::Loop, start, 0, -1};
        }
        seen.push_back(up);
        cur = up;
        ++w.depth;
    }
}

Family& Analysis::familyAt(int head) {
    const auto it = familyIndex_.constFind(head);
    if (it != familyIndex_.cend()) {
        return families_[*it];
    }
    familyIndex_.insert(head, static_cast<int>(families_.size()));
    familyOf_[head] = head;
    if (!isLinkedFlag(items_[head].flag)) {
        role_[head] = Role::Root;
    }
    families_.push_back({head, {}});
    return families_.back();
}

void Analysis::join(int item, const Walk& w, Role role) {
    role_[item] = role;
    parent_[item] = w.parent;
    depth_[item] = w.depth;
    if (w.head == item) {
        familyAt(item);
        return;
    }
    familyOf_[item] = w.head;
    familyAt(w.head).members.push_back(item);
}

void Analysis::buildFamilies() {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        if (items_[i].flag == u'R') {
            familyAt(i);
        }
    }
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const ItemRow& r = items_[i];
        if (!isLinkedFlag(r.flag)) {
            continue;
        }
        const Walk w = walk(i);
        join(i, w, r.flag == u'P' ? Role::Pack : Role::Single);
        if (w.end == Walk::End::Loop) {
            add(Check::LinkLoop, i, {i},
                roleName(i) + u' ' + refText(i) +
                    QStringLiteral(": its LinkBreakPack chain comes back to it"),
                false);
        } else if (w.end == Walk::End::Missing && w.head == i) {
            add(Check::LinkMissing, i, {i},
                r.linkBreakPack.trimmed().isEmpty()
                    ? roleName(i) + u' ' + refText(i) + QStringLiteral(" has no LinkBreakPack")
                    : roleName(i) + u' ' + refText(i) + QStringLiteral(" links to ") +
                          r.linkBreakPack.trimmed() + QStringLiteral(", which names no item"),
                false);
        }
    }
    // Items without a flag that a root names and that link to it (picked by the wizard) belong
    // to its family as well. The family list grows meanwhile: walk it by index.
    for (std::size_t f = 0; f < families_.size(); ++f) {
        const int h = families_[f].head;
        if (items_[h].flag != u'R') {
            continue;
        }
        for (const std::int32_t named : {items_[h].link.qzv1, items_[h].link.qzv2}) {
            const int t = named != 0 ? byNum(named) : -1;
            if (t >= 0 && familyOf_[t] < 0 && !isLinkedFlag(items_[t].flag)) {
                const Walk w = walk(t);
                if (w.end == Walk::End::Root && w.head == h) {
                    join(t, w, named == items_[h].link.qzv1 ? Role::Pack : Role::Single);
                }
            }
        }
    }
    for (Family& f : families_) {
        std::stable_sort(f.members.begin(), f.members.end(), [this](int a, int b) {
            return std::tie(depth_[a], items_[a].recordNum) <
                   std::tie(depth_[b], items_[b].recordNum);
        });
    }
}

QString Analysis::roleName(int i) const {
    static const char* const kNames[] = {"root", "pack", "single", "item"};  // order of Role
    return QString::fromLatin1(kNames[static_cast<int>(role_[i])]);
}

void Analysis::add(Check check, int head, std::vector<int> involved, QString text,
                   bool repairable) {
    Finding f;
    f.check = check;
    f.group = familyOf_[head] == head ? Finding::Group::Family : Finding::Group::Item;
    f.head = ref(head);
    for (const int i : involved) {
        f.items.push_back(ref(i));
    }
    f.text = std::move(text);
    f.repairable = repairable;
    findings_.push_back(std::move(f));
}

InventoryFix& Analysis::fixFor(int i) {
    const auto it = fixIndex_.constFind(i);
    if (it != fixIndex_.cend()) {
        return fixes_[*it];
    }
    fixIndex_.insert(i, static_cast<int>(fixes_.size()));
    fixes_.push_back({ref(i), items_[i].link, items_[i].link});
    return fixes_.back();
}

// QZV1 and QZV2 of a root name its pack and its single; with one of each at most, the right
// values are known and the repair writes them back.
void Analysis::checkRoot(Family& f) {
    const int h = f.head;
    const ItemRow& root = items_[h];
    if (isLinkedFlag(root.flag)) {
        return;  // no root found: the chain broke at this pack or single
    }
    std::vector<int> packs;
    std::vector<int> singles;
    bool flagged = false;
    for (const int m : f.members) {
        (role_[m] == Role::Pack ? packs : singles).push_back(m);
        flagged = flagged || isLinkedFlag(items_[m].flag);
    }
    const bool clear = packs.size() <= 1 && singles.size() <= 1 && !f.members.empty();
    const std::int32_t qzv[] = {root.link.qzv1, root.link.qzv2};
    const std::vector<int>* kinds[] = {&packs, &singles};

    for (const int m : f.members) {
        const int slot = role_[m] == Role::Pack ? 0 : 1;
        if (isLinkedFlag(items_[m].flag) && qzv[slot] != items_[m].recordNum) {
            add(Check::NotNamedByRoot, h, {m, h},
                roleName(m) + u' ' + refText(m) +
                    QStringLiteral(" is not named by QZV%1 of root ").arg(slot + 1) + refText(h) +
                    QStringLiteral(" (QZV%1 is %2)").arg(slot + 1).arg(qzv[slot]),
                clear);
        }
    }
    if (flagged && root.flag != u'R') {
        add(Check::RootFlag, h, {h},
            QStringLiteral("root ") + refText(h) + QStringLiteral(" has FlgQZV \"") +
                root.link.flgQZV.trimmed() +
                QStringLiteral("\", not \"R\", though packs or singles link to it"),
            clear);
    }
    if (root.flag == u'R') {
        for (int slot = 0; slot < 2; ++slot) {
            const std::int32_t n = qzv[slot];
            const int t = n != 0 ? byNum(n) : -1;
            const bool mended = clear && kinds[slot]->size() == 1;
            if (n != 0 && t < 0) {
                add(Check::RootNamesMissing, h, {h},
                    QStringLiteral("QZV%1 of root ").arg(slot + 1) + refText(h) +
                        QStringLiteral(" is %1, which names no item").arg(n),
                    mended);
            } else if (t >= 0 && (t == h || familyOf_[t] != h)) {
                add(Check::RootNamesUnlinked, h, {h, t},
                    QStringLiteral("QZV%1 of root ").arg(slot + 1) + refText(h) +
                        QStringLiteral(" names ") + refText(t) +
                        QStringLiteral(", which does not link to this root"),
                    mended);
            }
        }
    }
    if (clear) {
        InventoryFix want{ref(h), root.link, root.link};
        want.after.flgQZV = QStringLiteral("R");
        if (packs.size() == 1) {
            want.after.qzv1 = items_[packs.front()].recordNum;
        }
        if (singles.size() == 1) {
            want.after.qzv2 = items_[singles.front()].recordNum;
        }
        if (!(want.after == want.before)) {
            LinkFields& after = fixFor(h).after;
            after.flgQZV = want.after.flgQZV;
            after.qzv1 = want.after.qzv1;
            after.qzv2 = want.after.qzv2;
        }
    }
}

void Analysis::checkLinkedItems(const Family& f) {
    const int h = f.head;
    std::vector<int> linked;
    if (isLinkedFlag(items_[h].flag)) {
        linked.push_back(h);
    }
    linked.insert(linked.end(), f.members.begin(), f.members.end());
    const QString rootDeposit = role_[h] == Role::Root ? items_[h].linkItem.trimmed() : QString();

    for (const int m : linked) {
        const ItemRow& r = items_[m];
        const QString who = roleName(m) + u' ' + refText(m);
        if (isLinkedFlag(r.flag) && r.qtyInPack < 1) {
            add(Check::QtyInPack, h, {m},
                who + QStringLiteral(" has QTYINPACK %1, below 1").arg(r.qtyInPack), false);
        }
        if (!r.qtyOnHand.isZero()) {
            QString qty = r.qtyOnHand.toText(4);
            while (qty.endsWith(u'0')) {
                qty.chop(1);
            }
            if (qty.endsWith(u'.')) {
                qty.chop(1);
            }
            add(Check::QtyOnHand, h, {m},
                who + QStringLiteral(" keeps QtyOnHand ") + qty +
                    QStringLiteral("; it belongs on the root"),
                false);
        }
        // Sources come first (members are in depth order), so a source's repaired cost is the
        // one its items are measured against.
        const int p = parent_[m];
        if (p >= 0 && r.qtyInPack >= 1) {
            const Currency source = newCost_[p].value_or(items_[p].link.avgCost);
            const std::optional<Currency> expected = source.dividedBy(r.qtyInPack);
            const std::optional<Currency> diff =
                expected ? r.link.avgCost.minus(*expected) : std::nullopt;
            constexpr std::int64_t kHalfCent = Currency::kScale / 200;
            if (diff && (diff->scaled() > kHalfCent || diff->scaled() < -kHalfCent)) {
                newCost_[m] = *expected;
                LinkFields& after = fixFor(m).after;
                after.avgCost = *expected;
                after.cost = *expected;
                add(Check::CostDrift, h, {m, p},
                    who + QStringLiteral(" has AvgCost ") + r.link.avgCost.toText(4) +
                        QStringLiteral(", expected ") + expected->toText(4) + QStringLiteral(" (") +
                        source.toText(4) + QStringLiteral(" of ") + refText(p) +
                        QStringLiteral(" / %1)").arg(r.qtyInPack),
                    true);
            }
        }
        if (!rootDeposit.isEmpty() && r.linkItem.trimmed().isEmpty()) {
            add(Check::DepositMissing, h, {m, h},
                who + QStringLiteral(" has no bottle deposit; root ") + refText(h) +
                    QStringLiteral(" has ") + rootDeposit,
                false);
        }
    }
    std::vector<int> all{h};
    all.insert(all.end(), f.members.begin(), f.members.end());
    for (const int m : all) {
        const QString deposit = items_[m].linkItem.trimmed();
        if (!deposit.isEmpty() && bySl(items_[m].linkItem) < 0) {
            add(Check::DepositUnknown, h, {m},
                roleName(m) + u' ' + refText(m) + QStringLiteral(" has bottle deposit ") + deposit +
                    QStringLiteral(", which names no item"),
                false);
        }
    }
}

// Item codes compare without blanks at either end and without regard to case.
void Analysis::checkItemCodes(const Family& f) {
    std::vector<int> all{f.head};
    all.insert(all.end(), f.members.begin(), f.members.end());
    std::vector<std::pair<QString, int>> codes;
    for (const int m : all) {
        const QString code = items_[m].itemId.trimmed();
        if (!code.isEmpty()) {
            codes.emplace_back(codeKey(code), m);
        }
    }
    std::stable_sort(codes.begin(), codes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < codes.size();) {
        std::size_t j = i + 1;
        while (j < codes.size() && codes[j].first == codes[i].first) {
            ++j;
        }
        if (j - i > 1) {
            std::vector<int> holders;
            QStringList names;
            for (std::size_t k = i; k < j; ++k) {
                holders.push_back(codes[k].second);
                names << refText(codes[k].second);
            }
            add(Check::DuplicateItemCode, f.head, holders,
                QStringLiteral("item code ") + items_[codes[i].second].itemId.trimmed() +
                    QStringLiteral(" is held by ") + names.join(QStringLiteral(", ")),
                false);
        }
        i = j;
    }
}

void Analysis::checkUpcs() {
    for (const UpcRow& u : upcs_) {
        const int item = byNum(u.invUid);
        const QString code = u.upc.trimmed();
        if (item < 0) {
            Finding f;
            f.check = Check::UpcOrphan;
            f.group = Finding::Group::Upc;
            f.upc = code;
            f.text = QStringLiteral("UPC ") + code + QStringLiteral(" (S/L ") + u.sl.trimmed() +
                     QStringLiteral(") has InvUID %1, which names no item").arg(u.invUid);
            findings_.push_back(std::move(f));
        } else if (!(u.slKey == items_[item].slKey)) {
            upcFixes_.push_back({u.upc, u.invUid, u.sl, items_[item].sl});
            add(Check::UpcSl, familyOf_[item] >= 0 ? familyOf_[item] : item, {item},
                QStringLiteral("UPC ") + code + QStringLiteral(" has S/L ") + u.sl.trimmed() +
                    QStringLiteral(", but its InvUID %1 is ").arg(u.invUid) + refText(item),
                true);
        }
    }
}

AuditReport Analysis::run(const StoreTables& tables) {
    buildFamilies();
    for (Family& f : families_) {
        checkRoot(f);
        checkLinkedItems(f);
        checkItemCodes(f);
    }
    checkUpcs();

    // Groups in record number order (UPC rows without an item last), then checks in order.
    const auto key = [](const Finding& f) {
        const bool upc = f.group == Finding::Group::Upc;
        return std::make_tuple(upc, upc ? 0 : f.head.recordNum, upc ? f.upc : QString(),
                               static_cast<int>(f.check),
                               f.items.empty() ? 0 : f.items.front().recordNum);
    };
    std::stable_sort(findings_.begin(), findings_.end(),
                     [&](const Finding& a, const Finding& b) { return key(a) < key(b); });
    std::sort(fixes_.begin(), fixes_.end(), [](const InventoryFix& a, const InventoryFix& b) {
        return a.item.recordNum < b.item.recordNum;
    });

    AuditReport report;
    report.tables = tables;
    report.items = static_cast<std::int64_t>(items_.size());
    report.upcRows = static_cast<std::int64_t>(upcs_.size());
    report.families = static_cast<std::int64_t>(families_.size());
    report.findings = std::move(findings_);
    report.inventoryFixes = std::move(fixes_);
    report.upcFixes = std::move(upcFixes_);
    return report;
}

}  // namespace

QString CheckName(Check check) {
    // In the order of Check.
    static const char* const kNames[] = {"link-missing",       "link-loop",
                                         "not-named-back",     "root-flag",
                                         "root-names-missing", "root-names-unlinked",
                                         "qty-in-pack",        "qty-on-hand",
                                         "cost-drift",         "deposit-missing",
                                         "deposit-unknown",    "duplicate-item-code",
                                         "upc-orphan",         "upc-sl"};
    static_assert(std::size(kNames) == static_cast<std::size_t>(Check::UpcSl) + 1);
    return QString::fromLatin1(kNames[static_cast<int>(check)]);
}

int AuditReport::repairableCount() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& f) { return f.repairable; }));
}

std::optional<AuditReport> Audit(db::Engine& engine, const StoreTables& tables,
                                 db::DbError& error) {
    std::optional<std::vector<ItemRow>> items = readItems(engine, tables.inventory, error);
    if (!items) {
        return std::nullopt;
    }
    std::optional<std::vector<UpcRow>> upcs = readUpcs(engine, tables.upc, error);
    if (!upcs) {
        return std::nullopt;
    }
    return Analysis(std::move(*items), std::move(*upcs)).run(tables);
}

}  // namespace qv::audit
