// The find-or-add operations of the project tables. Rows are filled from the front and never
// move, so every operation hands out row addresses that stay valid for the whole run.
#include "tables.hpp"
#include "ascii.hpp"
#include "diag.hpp"
#include "hash.hpp"

#include <cstring>
#include <string_view>
#include <type_traits>

namespace {

// A name field holds at most size - 1 characters; a longer name is compared and stored as
// its first size - 1 characters so that no field is ever overrun.
std::string_view fit(std::string_view name, std::size_t size) {
    return name.substr(0, size - 1);
}

void store(char* field, std::string_view name) {
    std::memcpy(field, name.data(), name.size());
    field[name.size()] = '\0';
}

// The hash of a module name with ASCII letters folded to upper case, as modules compare.
std::uint32_t module_key_hash(std::string_view name) {
    std::uint32_t h = hash_start;
    for (char c : name)
        h = hash_mix(h, static_cast<unsigned char>(ascii_upper(c)));
    return h;
}

// The hash of an include key.
std::uint32_t include_key_hash(std::string_view name, int inctype, int incdir_no) {
    std::uint32_t h = hash_start;
    for (char c : name)
        h = hash_mix(h, static_cast<unsigned char>(c));
    h = hash_mix(h, static_cast<unsigned char>(inctype));
    for (int shift = 0; shift < 32; shift += 8)
        h = hash_mix(h, static_cast<unsigned char>(static_cast<std::uint32_t>(incdir_no) >> shift));
    return h;
}

// What a table's overflow reports: the routine and the summary text.
struct overflow_report {
    const char* routine;
    const char* summary;
};

// True, after the overflow report, when a table of capacity rows holds count rows already.
bool table_full(int count, int capacity, const overflow_report& r) {
    if (count < capacity) return false;
    report(severity::error, r.summary, r.routine, "#ERROR#  %s  %s >=%d\n", r.routine, r.summary,
           capacity);
    return true;
}

// The source's own reference to an entry: the entry's latest reference, when it lies among
// the source's count rows from first. A source's references are consecutive and sources are
// handled one after another, so an entry the source refers to has its latest one there.
template <class Ref> Ref* own_reference(Ref* last, Ref* first, int count) {
    if (last == nullptr || first == nullptr) return nullptr;
    if (last < first || last >= first + count) return nullptr;
    return last;
}

// Appends the source's reference to target as row count of rows (capacity rows) and makes it
// the target's latest. Null after the overflow report when the table is full.
template <class Ref, class Target>
Ref* append_reference(Ref* rows, int& count, int capacity, const overflow_report& report,
                      Target* target, Ref*& latest, srctab_row* source) {
    if (table_full(count, capacity, report)) return nullptr;
    Ref& ref = rows[count];
    ref.no = count + 1;
    if constexpr (std::is_same_v<Ref, refinctab_row>)
        ref.include = target;
    else
        ref.module = target;
    ref.source = source;
    ++count;
    latest = &ref;
    return &ref;
}

} // namespace

bool take_project(project& p, project_storage& s) {
    const auto rows = [](int capacity) { return static_cast<std::size_t>(capacity); };
    const capacities& c = p.cap;
    if (!take_table(s.srctab, rows(c.mxsrc), 1, "srctab") ||
        !take_table(s.inctab, rows(c.mxinc), 1, "inctab") ||
        !take_table(s.refinctab, rows(c.mxrinc), 1, "refinctab") ||
        !take_table(s.modtab, rows(c.mxmod), 1, "modtab") ||
        !take_table(s.rmodtab, rows(c.mxrmod), 1, "rmodtab") ||
        !take_row_index(p.index.inc, s.inc_index, c.mxinc, "inctab index") ||
        !take_table(s.inc_last_child, rows(c.mxinc), 1, "inctab index") ||
        !take_table(s.inc_last_ref, rows(c.mxinc), 1, "inctab index") ||
        !take_row_index(p.index.mod, s.mod_index, c.mxmod, "modtab index") ||
        !take_table(s.mod_last_ref, rows(c.mxmod), 1, "modtab index"))
        return false;
    p.srctab = s.srctab.get();
    p.inctab = s.inctab.get();
    p.refinctab = s.refinctab.get();
    p.modtab = s.modtab.get();
    p.rmodtab = s.rmodtab.get();
    p.index.inc_last_child = s.inc_last_child.get();
    p.index.inc_last_ref = s.inc_last_ref.get();
    p.index.mod_last_ref = s.mod_last_ref.get();
    p.src = p.inc = p.rinc = p.mod = p.rmod = 0;
    return true;
}

inctab_row* build_inctab(int nest, inctab_row* parent, project& p, int inctype, int incdir_no,
                         std::string_view name) {
    name = fit(name, inc_name_size);
    index_walk w = index_start(p.index.inc, include_key_hash(name, inctype, incdir_no));
    for (int at; (at = index_next(p.index.inc, w)) >= 0;) {
        inctab_row& row = p.inctab[at];
        if (row.inctype == inctype && row.incdir_no == incdir_no && name == row.name) return &row;
    }
    if (table_full(p.inc, p.cap.mxinc, {"build_inctab", "include table overflow"})) return nullptr;
    inctab_row& entry = p.inctab[p.inc];
    entry.no = p.inc + 1;
    entry.inctype = inctype;
    entry.incdir_no = incdir_no;
    entry.flg_ref = 0;
    entry.parent = nullptr;
    entry.next = nullptr;
    entry.child = nullptr;
    store(entry.name, name);
    index_add(p.index.inc, w, p.inc);
    p.index.inc_last_ref[p.inc] = nullptr;
    ++p.inc;
    build_inctab_link(nest, parent, &entry, p);
    return &entry;
}

int build_inctab_link(int nest, inctab_row* parent, inctab_row* entry, project& p) {
    p.index.inc_last_child[entry - p.inctab] = nullptr;
    // Only an entry met inside an include file has a parent; a null parent is treated
    // like a source file so that a caller's slip cannot dereference null.
    if (nest == 0 || parent == nullptr) return 0;
    // The parent's last child in one step, not a walk along all its children.
    inctab_row*& last = p.index.inc_last_child[parent - p.inctab];
    if (last == nullptr)
        parent->child = entry;
    else
        last->next = entry;
    entry->parent = parent;
    last = entry;
    return 0;
}

modtab_row* build_modtab(std::string_view kind, project& p, std::string_view name,
                         srctab_row* source) {
    name = fit(name, mod_name_size);
    const bool use = kind == "use";
    index_walk w = index_start(p.index.mod, module_key_hash(name));
    for (int at; (at = index_next(p.index.mod, w)) >= 0;) {
        modtab_row& row = p.modtab[at];
        if (!same_name_ignoring_case(name, row.name)) continue;
        if (use) return &row;
        if (row.source == nullptr) {
            row.source = source;
        } else {
            // The first definition stays; the scan goes on. The report names the module as
            // this definition spells it.
            report(severity::error, "module name double defined", "build_modtab",
                   "#ERROR#  build_modtab  module name double defined [%.*s]\n",
                   static_cast<int>(name.size()), name.data());
        }
        return &row;
    }
    if (table_full(p.mod, p.cap.mxmod, {"build_modtab", "module table overflow"})) return nullptr;
    modtab_row& entry = p.modtab[p.mod];
    entry.no = p.mod + 1;
    entry.source = use ? nullptr : source;
    store(entry.name, name);
    index_add(p.index.mod, w, p.mod);
    p.index.mod_last_ref[p.mod] = nullptr;
    ++p.mod;
    return &entry;
}

refinctab_row* build_refinctab(inctab_row* entry, project& p, srctab_row* source) {
    refinctab_row*& latest = p.index.inc_last_ref[entry - p.inctab];
    if (refinctab_row* ref = own_reference(latest, source->rinc1, source->rinc_cnt)) return ref;
    return append_reference(p.refinctab, p.rinc, p.cap.mxrinc,
                            {"build_refinctab", "rinclude table overflow"}, entry, latest, source);
}

rmodtab_row* build_rmodtab(modtab_row* module, project& p, srctab_row* source) {
    rmodtab_row*& latest = p.index.mod_last_ref[module - p.modtab];
    if (rmodtab_row* ref = own_reference(latest, source->rmod1, source->rmod_cnt)) return ref;
    return append_reference(p.rmodtab, p.rmod, p.cap.mxrmod,
                            {"build_rmodtab", "rmodule table overflow"}, module, latest, source);
}

bool is_compiler_module(std::string_view name) {
    static constexpr std::string_view provided[] = {
        "ISO_C_BINDING", "ISO_FORTRAN_ENV", "IEEE_ARITHMETIC", "IEEE_EXCEPTIONS",
        "IEEE_FEATURES", "OMP_LIB",         "OMP_LIB_KINDS",   "OPENACC",
    };
    for (std::string_view m : provided)
        if (same_name_ignoring_case(name, m)) return true;
    return false;
}

bool is_external_module(const external_names& ext, std::string_view name) {
    for (int i = 0; i < ext.count; ++i)
        if (same_name_ignoring_case(name, ext.names[i])) return true;
    return false;
}

bool is_external_include(const external_names& ext, std::string_view name) {
    for (int i = 0; i < ext.count; ++i)
        if (name == ext.names[i]) return true;
    return false;
}
