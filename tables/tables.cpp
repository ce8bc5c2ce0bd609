// The find-or-add operations of the project tables. Rows are filled from the front and never
// move, so every operation hands out row addresses that stay valid for the whole run.
#include "tables.hpp"
#include "ascii.hpp"
#include "diag.hpp"
#include "table_index.hpp"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>

int mxsrc = default_mxsrc;
int mxinc = default_mxinc;
int mxrinc = default_mxrinc;
int mxmod = default_mxmod;
int mxrmod = default_mxrmod;

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

// What a table's overflow reports: the routine and the summary text.
struct overflow_report {
    const char* routine;
    const char* summary;
};

// True, after the overflow report, when a table of capacity rows holds count rows already.
bool table_full(int count, int capacity, const overflow_report& report) {
    if (count < capacity) return false;
    std::printf("#ERROR#  %s  %s >=%d\n", report.routine, report.summary, capacity);
    print_diag(1, report.summary, report.routine);
    return true;
}

// The index of p brought up to date, or null when there is none or the tables outgrew it.
table_index* usable_index(const project& p) {
    if (p.index == nullptr || !table_index_sync(*p.index, p)) return nullptr;
    return p.index;
}

// The source's own reference to target among its count consecutive rows from first.
template <class Ref, class Target>
Ref* search_references(Ref* first, int count, const Target* target) {
    if (first == nullptr) return nullptr;
    for (int i = 0; i < count; ++i) {
        if constexpr (std::is_same_v<Ref, refinctab_row>) {
            if (first[i].include == target) return &first[i];
        } else {
            if (first[i].module == target) return &first[i];
        }
    }
    return nullptr;
}

// The entry's last reference when it lies among the source's own rows. A source's references
// are consecutive and sources are handled one after another, so an entry the source refers
// to has its latest reference there; without the index the source's rows are searched.
template <class Ref> Ref* own_reference(Ref* last, Ref* first, int count) {
    if (last == nullptr || first == nullptr) return nullptr;
    if (last < first || last >= first + count) return nullptr;
    return last;
}

// The source's own reference to the row at position at of its table: through the index's
// last-reference markers (null when there is no index) when the row is indexed, else by
// searching the source's count rows from first.
template <class Ref, class Target>
Ref* existing_reference(Ref* const* last_refs, int indexed, int at, Ref* first, int count,
                        const Target* target) {
    if (last_refs != nullptr && at >= 0 && at < indexed)
        return own_reference(last_refs[at], first, count);
    return search_references(first, count, target);
}

// Appends the source's reference to target as row count of rows (capacity rows). Null after
// the overflow report when the table is full.
template <class Ref, class Target>
Ref* append_reference(Ref* rows, int& count, int capacity, const overflow_report& report,
                      Target* target, srctab_row* source) {
    if (table_full(count, capacity, report)) return nullptr;
    Ref& ref = rows[count];
    ref.no = count + 1;
    if constexpr (std::is_same_v<Ref, refinctab_row>)
        ref.include = target;
    else
        ref.module = target;
    ref.source = source;
    ++count;
    return &ref;
}

// The first row of the include table with this key, through the index; null when none.
inctab_row* find_include(table_index& x, const project& p, int inctype, int incdir_no,
                         std::string_view name) {
    const std::uint32_t h = include_key_hash(name, inctype, incdir_no);
    for (int at = x.inc_head[h & x.inc_mask]; at != 0; at = x.inc_next[at - 1]) {
        inctab_row& row = p.inctab[at - 1];
        if (x.inc_hash[at - 1] == h && row.inctype == inctype && row.incdir_no == incdir_no &&
            name == row.name)
            return &row;
    }
    return nullptr;
}

// Enters the new last row, and links it as build_inctab_link does, but finds the parent's
// last child through the index instead of walking the whole list of its children.
void link_indexed(table_index& x, const project& p, int nest, inctab_row* parent,
                  inctab_row* entry) {
    const int parent_at = parent != nullptr ? static_cast<int>(parent - p.inctab) : -1;
    const bool parent_indexed = parent_at >= 0 && parent_at < x.inc_indexed;
    if (nest != 0 && parent != nullptr && parent_indexed && parent->child != nullptr) {
        inctab_row* last = x.inc_last_child[parent_at];
        if (last == nullptr) last = parent->child;
        while (last->next != nullptr)
            last = last->next; // at most a step when in step
        last->next = entry;
        entry->parent = parent;
    } else {
        build_inctab_link(nest, parent, entry);
    }
    table_index_sync(x, p); // enters the row and records it as its parent's last child
}

// The first module row whose name equals name ignoring ASCII letter case.
modtab_row* find_module(table_index& x, const project& p, std::string_view name) {
    const std::uint32_t h = module_key_hash(name);
    for (int at = x.mod_head[h & x.mod_mask]; at != 0; at = x.mod_next[at - 1]) {
        modtab_row& row = p.modtab[at - 1];
        if (x.mod_hash[at - 1] == h && same_name_ignoring_case(name, row.name)) return &row;
    }
    return nullptr;
}

} // namespace

inctab_row* build_inctab(int nest, inctab_row* parent, project& p, int inctype, int incdir_no,
                         std::string_view name) {
    name = fit(name, inc_name_size);
    table_index* x = usable_index(p);
    if (x != nullptr) {
        if (inctab_row* row = find_include(*x, p, inctype, incdir_no, name)) return row;
    } else {
        for (int i = 0; i < p.inc; ++i) {
            inctab_row& row = p.inctab[i];
            if (row.inctype == inctype && row.incdir_no == incdir_no && name == row.name)
                return &row;
        }
    }
    if (table_full(p.inc, mxinc, {"build_inctab", "include table overflow"})) return nullptr;
    inctab_row& entry = p.inctab[p.inc];
    entry.no = p.inc + 1;
    entry.inctype = inctype;
    entry.incdir_no = incdir_no;
    entry.flg_ref = 0;
    entry.parent = nullptr;
    entry.next = nullptr;
    entry.child = nullptr;
    store(entry.name, name);
    ++p.inc;
    if (x != nullptr && p.inc <= x->inc_capacity)
        link_indexed(*x, p, nest, parent, &entry);
    else
        build_inctab_link(nest, parent, &entry);
    return &entry;
}

int build_inctab_link(int nest, inctab_row* parent, inctab_row* entry) {
    // Only an entry met inside an include file has a parent; a null parent is treated
    // like a source file so that a caller's slip cannot dereference null.
    if (nest == 0 || parent == nullptr) return 0;
    if (parent->child == nullptr) {
        parent->child = entry;
    } else {
        inctab_row* last = parent->child;
        while (last->next != nullptr)
            last = last->next;
        last->next = entry;
    }
    entry->parent = parent;
    return 0;
}

modtab_row* build_modtab(std::string_view kind, project& p, std::string_view name,
                         srctab_row* source) {
    name = fit(name, mod_name_size);
    bool use = kind == "use";
    modtab_row* found = nullptr;
    if (table_index* x = usable_index(p)) {
        found = find_module(*x, p, name);
    } else {
        for (int i = 0; i < p.mod && found == nullptr; ++i)
            if (same_name_ignoring_case(name, p.modtab[i].name)) found = &p.modtab[i];
    }
    if (found != nullptr) {
        modtab_row& row = *found;
        if (use) return &row;
        if (row.source == nullptr) {
            row.source = source;
        } else {
            // The first definition stays; the scan goes on. The report names the module as
            // this definition spells it.
            std::printf("#ERROR#  build_modtab  module name double defined [%.*s]\n",
                        static_cast<int>(name.size()), name.data());
            print_diag(1, "module name double defined", "build_modtab");
        }
        return &row;
    }
    if (table_full(p.mod, mxmod, {"build_modtab", "module table overflow"})) return nullptr;
    modtab_row& entry = p.modtab[p.mod];
    entry.no = p.mod + 1;
    entry.source = use ? nullptr : source;
    store(entry.name, name);
    ++p.mod;
    usable_index(p); // enters the new row
    return &entry;
}

refinctab_row* build_refinctab(inctab_row* entry, project& p, srctab_row* source) {
    const table_index* x = usable_index(p);
    if (refinctab_row* ref = existing_reference(
            x != nullptr ? x->inc_last_ref.get() : nullptr, x != nullptr ? x->inc_indexed : 0,
            static_cast<int>(entry - p.inctab), source->rinc1, source->rinc_cnt, entry))
        return ref;
    refinctab_row* ref = append_reference(
        p.refinctab, p.rinc, mxrinc, {"build_refinctab", "rinclude table overflow"}, entry, source);
    if (ref != nullptr) usable_index(p); // enters the new reference
    return ref;
}

rmodtab_row* build_rmodtab(modtab_row* module, project& p, srctab_row* source) {
    const table_index* x = usable_index(p);
    if (rmodtab_row* ref = existing_reference(
            x != nullptr ? x->mod_last_ref.get() : nullptr, x != nullptr ? x->mod_indexed : 0,
            static_cast<int>(module - p.modtab), source->rmod1, source->rmod_cnt, module))
        return ref;
    rmodtab_row* ref = append_reference(
        p.rmodtab, p.rmod, mxrmod, {"build_rmodtab", "rmodule table overflow"}, module, source);
    if (ref != nullptr) usable_index(p); // enters the new reference
    return ref;
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
