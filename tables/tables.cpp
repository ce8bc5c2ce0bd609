// The find-or-add operations of the project tables. Rows are filled from the front and never
// move, so every operation hands out row addresses that stay valid for the whole run.
#include "driver/diag.hpp"
#include "tables/tables.hpp"

#include <cstdio>
#include <cstring>
#include <string_view>

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

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Fortran names are case-insensitive; only ASCII letters fold so that other bytes stay exact.
bool same_name_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
    return true;
}

} // namespace

inctab_row* build_inctab(int nest, inctab_row* parent, project& p, int inctype, int incdir_no,
                         std::string_view name) {
    name = fit(name, inc_name_size);
    for (int i = 0; i < p.inc; ++i) {
        inctab_row& row = p.inctab[i];
        if (row.inctype == inctype && row.incdir_no == incdir_no && name == row.name) return &row;
    }
    if (p.inc >= mxinc) {
        std::printf("#ERROR#  build_inctab  include table overflow >=%d\n", mxinc);
        print_diag(1, "include table overflow", "build_inctab");
        return nullptr;
    }
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
        while (last->next != nullptr) last = last->next;
        last->next = entry;
    }
    entry->parent = parent;
    return 0;
}

modtab_row* build_modtab(std::string_view kind, project& p, std::string_view name,
                         srctab_row* source) {
    name = fit(name, mod_name_size);
    bool use = kind == "use";
    for (int i = 0; i < p.mod; ++i) {
        modtab_row& row = p.modtab[i];
        if (!same_name_ignoring_case(name, row.name)) continue;
        if (use) return &row;
        if (row.source == nullptr) {
            row.source = source;
        } else {
            // The first definition stays; the scan goes on.
            std::printf("#ERROR#  build_modtab  module name double defined [%s]\n", row.name);
            print_diag(1, "module name double defined", "build_modtab");
        }
        return &row;
    }
    if (p.mod >= mxmod) {
        std::printf("#ERROR#  build_modtab  module table overflow >=%d\n", mxmod);
        print_diag(1, "module table overflow", "build_modtab");
        return nullptr;
    }
    modtab_row& entry = p.modtab[p.mod];
    entry.no = p.mod + 1;
    entry.source = use ? nullptr : source;
    store(entry.name, name);
    ++p.mod;
    return &entry;
}

refinctab_row* build_refinctab(inctab_row* entry, project& p, srctab_row* source) {
    // A source's references are consecutive rows, so only its own few rows are searched.
    if (source->rinc1 != nullptr)
        for (int i = 0; i < source->rinc_cnt; ++i)
            if (source->rinc1[i].include == entry) return &source->rinc1[i];
    if (p.rinc >= mxrinc) {
        std::printf("#ERROR#  build_refinctab  rinclude table overflow >=%d\n", mxrinc);
        print_diag(1, "rinclude table overflow", "build_refinctab");
        return nullptr;
    }
    refinctab_row& ref = p.refinctab[p.rinc];
    ref.no = p.rinc + 1;
    ref.include = entry;
    ref.source = source;
    ++p.rinc;
    return &ref;
}

rmodtab_row* build_rmodtab(modtab_row* module, project& p, srctab_row* source) {
    if (source->rmod1 != nullptr)
        for (int i = 0; i < source->rmod_cnt; ++i)
            if (source->rmod1[i].module == module) return &source->rmod1[i];
    if (p.rmod >= mxrmod) {
        std::printf("#ERROR#  build_rmodtab  rmodule table overflow >=%d\n", mxrmod);
        print_diag(1, "rmodule table overflow", "build_rmodtab");
        return nullptr;
    }
    rmodtab_row& ref = p.rmodtab[p.rmod];
    ref.no = p.rmod + 1;
    ref.module = module;
    ref.source = source;
    ++p.rmod;
    return &ref;
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
