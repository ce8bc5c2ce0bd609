// The project tables: find-or-add order, overflow at capacity, links and references.
#include "table_index.hpp"
#include "tables.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Tables at small capacities, with the capacity globals restored afterwards.
struct TablesTest : ::testing::Test {
    int saved[5] = {mxsrc, mxinc, mxrinc, mxmod, mxrmod};
    std::unique_ptr<srctab_row[]> srcs{new srctab_row[4]};
    std::unique_ptr<inctab_row[]> incs{new inctab_row[8]};
    std::unique_ptr<refinctab_row[]> rincs{new refinctab_row[8]};
    std::unique_ptr<modtab_row[]> mods{new modtab_row[8]};
    std::unique_ptr<rmodtab_row[]> rmods{new rmodtab_row[8]};
    project p;

    void SetUp() override {
        mxsrc = 4;
        mxinc = mxrinc = mxmod = mxrmod = 8;
        p.srctab = srcs.get();
        p.inctab = incs.get();
        p.refinctab = rincs.get();
        p.modtab = mods.get();
        p.rmodtab = rmods.get();
        for (int i = 0; i < 4; ++i) {
            srcs[i] = srctab_row{};
            srcs[i].no = i + 1;
        }
    }
    void TearDown() override {
        mxsrc = saved[0];
        mxinc = saved[1];
        mxrinc = saved[2];
        mxmod = saved[3];
        mxrmod = saved[4];
    }
};

TEST(TableAdd, AddressesRowsAndSendsNegativePositionsToRowZero) {
    char table[5 * 7] = {};
    EXPECT_EQ(mprc_table_add(table, 7, 0), table);
    EXPECT_EQ(mprc_table_add(table, 7, 4), table + 28);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(mprc_table_add(table, 7, -3), table);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "#ERROR#  mprc_table_add  invalid no=-3\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "#WARN#   \n");
}

TEST(Filename, JoinsAndRefusesAtPathSize) {
    struct Case {
        std::string in1, in2;
        int result;
        std::string filename;
    } cases[] = {
        {"src", "a.f", 0, "src\\a.f"},
        {"", "a.f", 0, "a.f"},
        {"src\\", "a.f", 0, "src\\\\a.f"},
        {std::string(509, 'd'), "a", 0, std::string(509, 'd') + "\\a"},
        {std::string(510, 'd'), "a", -1, ""},
        {"", std::string(510, 'f'), 0, std::string(510, 'f')},
        {"", std::string(511, 'f'), -1, ""},
        {std::string(4000, 'd'), "", -1, ""},
    };
    for (const Case& c : cases) {
        char out[path_size + 8];
        std::memset(out, 'x', sizeof out);
        testing::internal::CaptureStdout();
        EXPECT_EQ(mprc_filename(out, c.in1.c_str(), c.in2.c_str(), '\\'), c.result) << c.in1;
        std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::string(out), c.filename);
        if (c.result == 0) {
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(said, "  #ERROR#  mprc_filename  too logng filename\n           in1=[" +
                                c.in1 + "]\n           in2=[" + c.in2 + "], mark=[\\]\n");
        }
    }
}

TEST_F(TablesTest, IncludeEntriesAreKeyedByNameTypeAndDirectory) {
    inctab_row* a = build_inctab(0, nullptr, p, 1, 0, "a.inc");
    inctab_row* b = build_inctab(0, nullptr, p, 1, 1, "a.inc");
    inctab_row* c = build_inctab(0, nullptr, p, -1, 0, "a.inc");
    inctab_row* d = build_inctab(0, nullptr, p, 1, 0, "A.inc");
    ASSERT_EQ(p.inc, 4);
    EXPECT_EQ(a, &incs[0]);
    EXPECT_EQ(b, &incs[1]);
    EXPECT_EQ(c, &incs[2]);
    EXPECT_EQ(d, &incs[3]); // include names keep their letter case
    EXPECT_EQ(build_inctab(0, nullptr, p, 1, 1, "a.inc"), b);
    EXPECT_EQ(p.inc, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(incs[i].no, i + 1);
        EXPECT_EQ(incs[i].flg_ref, 0);
        EXPECT_EQ(incs[i].parent, nullptr);
    }
}

TEST_F(TablesTest, FoundIncludeEntryKeepsItsFlagAndLinks) {
    inctab_row* top = build_inctab(0, nullptr, p, 1, 0, "top.inc");
    inctab_row* kid = build_inctab(1, top, p, 1, 0, "kid.inc");
    kid->flg_ref = 1;
    inctab_row* other = build_inctab(0, nullptr, p, 1, 0, "other.inc");
    // Met again under another parent: found, not relinked.
    EXPECT_EQ(build_inctab(1, other, p, 1, 0, "kid.inc"), kid);
    EXPECT_EQ(kid->flg_ref, 1);
    EXPECT_EQ(kid->parent, top);
    EXPECT_EQ(other->child, nullptr);
}

TEST_F(TablesTest, NewIncludeEntriesChainUnderTheirParentInOrder) {
    inctab_row* top = build_inctab(0, nullptr, p, -1, 0, "top.inc");
    inctab_row* k1 = build_inctab(1, top, p, -1, 0, "k1.inc");
    inctab_row* k2 = build_inctab(1, top, p, -1, 0, "k2.inc");
    inctab_row* g1 = build_inctab(1, k1, p, -1, 0, "g1.inc");
    inctab_row* k3 = build_inctab(1, top, p, -1, 0, "k3.inc");
    EXPECT_EQ(top->parent, nullptr);
    EXPECT_EQ(top->child, k1);
    EXPECT_EQ(k1->next, k2);
    EXPECT_EQ(k2->next, k3);
    EXPECT_EQ(k3->next, nullptr);
    EXPECT_EQ(k1->child, g1);
    EXPECT_EQ(g1->parent, k1);
    EXPECT_EQ(k3->parent, top);
    EXPECT_EQ(top->next, nullptr);
}

TEST_F(TablesTest, OverflowReportsAndKeepsTheRows) {
    mxinc = mxmod = mxrinc = mxrmod = 2;
    srctab_row* s = &srcs[0];
    inctab_row* i1 = build_inctab(0, nullptr, p, 1, 0, "1.inc");
    build_inctab(0, nullptr, p, 1, 0, "2.inc");
    modtab_row* m1 = build_modtab("use", p, "m1", s);
    build_modtab("module", p, "m2", s);
    refinctab_row* r1 = build_refinctab(&incs[0], p, s);
    s->rinc1 = r1;
    s->rinc_cnt = 1;
    build_refinctab(&incs[1], p, s);
    s->rinc_cnt = 2;
    rmodtab_row* q1 = build_rmodtab(&mods[0], p, s);
    s->rmod1 = q1;
    s->rmod_cnt = 1;
    build_rmodtab(&mods[1], p, s);
    s->rmod_cnt = 2;

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(build_inctab(0, nullptr, p, 1, 0, "3.inc"), nullptr);
    EXPECT_EQ(build_modtab("use", p, "m3", s), nullptr);
    EXPECT_EQ(build_refinctab(&incs[1], p, &srcs[1]), nullptr);
    EXPECT_EQ(build_rmodtab(&mods[1], p, &srcs[1]), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "#ERROR#  build_inctab  include table overflow >=2\n"
              "#ERROR#  build_modtab  module table overflow >=2\n"
              "#ERROR#  build_refinctab  rinclude table overflow >=2\n"
              "#ERROR#  build_rmodtab  rmodule table overflow >=2\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "#ERROR#  include table overflow\n#ERROR#  module table overflow\n"
              "#ERROR#  rinclude table overflow\n#ERROR#  rmodule table overflow\n");
    EXPECT_EQ(p.inc, 2);
    EXPECT_EQ(p.mod, 2);
    EXPECT_EQ(p.rinc, 2);
    EXPECT_EQ(p.rmod, 2);
    EXPECT_STREQ(incs[1].name, "2.inc");

    // What is already there is still found at capacity, silently.
    testing::internal::CaptureStdout();
    EXPECT_EQ(build_inctab(0, nullptr, p, 1, 0, "1.inc"), i1);
    EXPECT_EQ(build_modtab("module", p, "M1", s), m1);
    EXPECT_EQ(build_refinctab(&incs[0], p, s), r1);
    EXPECT_EQ(build_rmodtab(&mods[0], p, s), q1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(m1->source, s);
}

TEST_F(TablesTest, ModuleNamesIgnoreLetterCaseAndKeepTheFirstSpelling) {
    struct Step {
        const char* kind;
        const char* name;
        int source;       // row of srcs
        int entry;        // expected modtab row
        int entry_source; // expected source row of the entry afterwards, -1 none
        bool double_defined;
    } steps[] = {
        {"use", "Geometry", 0, 0, -1, false},   {"use", "GEOMETRY", 1, 0, -1, false},
        {"module", "geometry", 2, 0, 2, false}, {"module", "gEOMETRY", 3, 0, 2, true},
        {"use", "geometry", 0, 0, 2, false},    {"module", "Geom", 1, 1, 1, false},
        {"module", "GEOM", 0, 1, 1, true},      {"mod", "geom_", 3, 2, 3, false},
        {"use", "GEOM_", 3, 2, 3, false},
    };
    for (const Step& st : steps) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        modtab_row* m = build_modtab(st.kind, p, st.name, &srcs[st.source]);
        std::string out = testing::internal::GetCapturedStdout();
        std::string err = testing::internal::GetCapturedStderr();
        ASSERT_EQ(m, &mods[st.entry]) << st.kind << ' ' << st.name;
        EXPECT_EQ(m->source, st.entry_source < 0 ? nullptr : &srcs[st.entry_source]) << st.name;
        if (st.double_defined) {
            EXPECT_EQ(out, "#ERROR#  build_modtab  module name double defined [" +
                               std::string(st.name) + "]\n");
            EXPECT_EQ(err, "#ERROR#  module name double defined\n");
        } else {
            EXPECT_EQ(out, "") << st.name;
            EXPECT_EQ(err, "") << st.name;
        }
    }
    EXPECT_EQ(p.mod, 3);
    EXPECT_STREQ(mods[0].name, "Geometry");
    EXPECT_STREQ(mods[1].name, "Geom");
    EXPECT_EQ(mods[2].no, 3);
}

TEST_F(TablesTest, ReferencesAreSearchedOnlyAmongTheSourcesOwnRows) {
    srctab_row* s1 = &srcs[0];
    srctab_row* s2 = &srcs[1];
    inctab_row* a = build_inctab(0, nullptr, p, 1, 0, "a.inc");
    inctab_row* b = build_inctab(0, nullptr, p, 1, 0, "b.inc");

    // The caller records the first reference and counts the new ones.
    auto add = [&](inctab_row* e, srctab_row* s) {
        int before = p.rinc;
        refinctab_row* r = build_refinctab(e, p, s);
        if (p.rinc != before) {
            if (s->rinc1 == nullptr) s->rinc1 = r;
            ++s->rinc_cnt;
        }
        return r;
    };
    refinctab_row* s1a = add(a, s1);
    refinctab_row* s1b = add(b, s1);
    EXPECT_EQ(add(a, s1), s1a);
    EXPECT_EQ(s1->rinc_cnt, 2);
    refinctab_row* s2b = add(b, s2);
    refinctab_row* s2a = add(a, s2);
    EXPECT_NE(s2b, s1b);
    EXPECT_EQ(s2b, s1b + 1);
    EXPECT_EQ(s2a, s2b + 1);
    EXPECT_EQ(s2->rinc1, s2b);
    EXPECT_EQ(s2->rinc_cnt, 2);
    EXPECT_EQ(p.rinc, 4);
    for (int i = 0; i < p.rinc; ++i)
        EXPECT_EQ(rincs[i].no, i + 1);
    EXPECT_EQ(rincs[3].include, a);
    EXPECT_EQ(rincs[3].source, s2);

    modtab_row* m = build_modtab("use", p, "m", nullptr);
    rmodtab_row* r = build_rmodtab(m, p, s1);
    EXPECT_EQ(s1->rmod1, nullptr); // the routine leaves the source row alone
    s1->rmod1 = r;
    s1->rmod_cnt = 1;
    EXPECT_EQ(build_rmodtab(m, p, s1), r);
    EXPECT_EQ(build_rmodtab(m, p, s2), r + 1);
    EXPECT_EQ(p.rmod, 2);
    EXPECT_EQ(r[1].source, s2);
}

TEST_F(TablesTest, OverlongNamesAreCutToTheirField) {
    std::string longname(300, 'n');
    inctab_row* e = build_inctab(0, nullptr, p, 1, 0, longname);
    EXPECT_EQ(std::string(e->name), longname.substr(0, inc_name_size - 1));
    EXPECT_EQ(build_inctab(0, nullptr, p, 1, 0, longname), e);
    modtab_row* m = build_modtab("use", p, longname, nullptr);
    EXPECT_EQ(std::string(m->name), longname.substr(0, mod_name_size - 1));
}

// The tables with their operations run with and without the lookup index; both must give the
// same rows, results and reports.
struct indexed_run {
    std::vector<srctab_row> srcs = std::vector<srctab_row>(8);
    std::vector<inctab_row> incs = std::vector<inctab_row>(64);
    std::vector<refinctab_row> rincs = std::vector<refinctab_row>(64);
    std::vector<modtab_row> mods = std::vector<modtab_row>(64);
    std::vector<rmodtab_row> rmods = std::vector<rmodtab_row>(64);
    project p;
    table_index index;
    std::string log;

    explicit indexed_run(bool with_index) {
        p.srctab = srcs.data();
        p.inctab = incs.data();
        p.refinctab = rincs.data();
        p.modtab = mods.data();
        p.rmodtab = rmods.data();
        for (int i = 0; i < 8; ++i)
            srcs[i].no = i + 1;
        if (with_index) {
            EXPECT_TRUE(table_index_open(index, p));
            p.index = &index;
        }
    }
    int at(const inctab_row* r) const { return r ? int(r - incs.data()) : -1; }
    int at(const modtab_row* r) const { return r ? int(r - mods.data()) : -1; }
    int at(const refinctab_row* r) const { return r ? int(r - rincs.data()) : -1; }
    int at(const rmodtab_row* r) const { return r ? int(r - rmods.data()) : -1; }
    inctab_row* inc_row(int i) { return i < 0 ? nullptr : &incs[i]; }

    // Kinds: i include entry, u use, m module definition, r include reference (the entry by
    // key, as the scan does), x module reference; references are recorded in the source row.
    struct op {
        char kind;
        int nest, parent, inctype, incdir, source;
        const char* name;
    };
    void apply(const op& o) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        srctab_row* s = &srcs[o.source];
        if (o.kind == 'i') {
            log += std::to_string(
                at(build_inctab(o.nest, inc_row(o.parent), p, o.inctype, o.incdir, o.name)));
        } else if (o.kind == 'u' || o.kind == 'm') {
            log += std::to_string(at(build_modtab(o.kind == 'u' ? "use" : "module", p, o.name, s)));
        } else if (o.kind == 'r') {
            inctab_row* e = build_inctab(o.nest, inc_row(o.parent), p, o.inctype, o.incdir, o.name);
            int before = p.rinc;
            refinctab_row* r = e ? build_refinctab(e, p, s) : nullptr;
            if (r && p.rinc != before) {
                if (!s->rinc1) s->rinc1 = r;
                ++s->rinc_cnt;
            }
            log += std::to_string(at(r));
        } else {
            modtab_row* m = build_modtab("use", p, o.name, s);
            int before = p.rmod;
            rmodtab_row* r = m ? build_rmodtab(m, p, s) : nullptr;
            if (r && p.rmod != before) {
                if (!s->rmod1) s->rmod1 = r;
                ++s->rmod_cnt;
            }
            log += std::to_string(at(r));
        }
        log += ' ';
        log += testing::internal::GetCapturedStdout();
        log += testing::internal::GetCapturedStderr();
    }
    std::string tables() const {
        std::string t;
        for (int i = 0; i < p.inc; ++i)
            t += std::to_string(incs[i].no) + incs[i].name + std::to_string(incs[i].inctype) +
                 std::to_string(incs[i].incdir_no) + "p" + std::to_string(at(incs[i].parent)) +
                 "c" + std::to_string(at(incs[i].child)) + "n" + std::to_string(at(incs[i].next)) +
                 ";";
        for (int i = 0; i < p.mod; ++i)
            t += std::to_string(mods[i].no) + mods[i].name +
                 std::to_string(mods[i].source ? mods[i].source->no : 0) + ";";
        for (int i = 0; i < p.rinc; ++i)
            t += std::to_string(at(rincs[i].include)) + ">" + std::to_string(rincs[i].source->no) +
                 ";";
        for (int i = 0; i < p.rmod; ++i)
            t += std::to_string(at(rmods[i].module)) + ">" + std::to_string(rmods[i].source->no) +
                 ";";
        for (const srctab_row& s : srcs)
            t += std::to_string(at(s.rinc1)) + "/" + std::to_string(s.rinc_cnt) + "," +
                 std::to_string(at(s.rmod1)) + "/" + std::to_string(s.rmod_cnt) + ";";
        return t;
    }
};

// The steps of a table script, by name. Entries are keyed in -I directory 0 unless told.
using op = indexed_run::op;
op include(const char* name, int inctype = inctype_incdir, int incdir = 0) {
    return {'i', 0, -1, inctype, incdir, 0, name};
}
op include_in(int parent, const char* name) { // met inside the include entry parent
    return {'i', 1, parent, inctype_incdir, 0, 0, name};
}
op use(int source, const char* name) {
    return {'u', 0, -1, 0, 0, source, name};
}
op define(int source, const char* name) {
    return {'m', 0, -1, 0, 0, source, name};
}
op refer_include(int source, const char* name, int parent = -1) {
    return {'r', parent < 0 ? 0 : 1, parent, inctype_incdir, 0, source, name};
}
op refer_module(int source, const char* name) {
    return {'x', 0, -1, 0, 0, source, name};
}

// Every path of the operations, with and without the index: found and added rows, links,
// references, reports, and at small capacities the overflows at the script's end.
std::vector<op> index_script() {
    return {
        // Include keys differ by directory, by mode and by letter case.
        include("a.inc"),
        include("a.inc", inctype_incdir, 1),
        include("a.inc", inctype_own_dir),
        include("A.inc"),
        // Children, grandchildren, and a name met again under another parent.
        include_in(0, "k1.inc"),
        include_in(0, "k2.inc"),
        include_in(4, "g1.inc"),
        include_in(0, "k3.inc"),
        include_in(3, "k2.inc"),
        include_in(0, "k4.inc"),
        // Modules whose names differ only in letter case, a double definition, a provided one.
        use(0, "Geom"),
        define(1, "GEOM"),
        define(2, "geom"),
        use(0, "gEoM"),
        define(0, "other"),
        use(0, "iso_c_binding"),
        // References of source 0, repeated ones found again.
        refer_include(0, "a.inc"),
        refer_include(0, "k1.inc", 0),
        refer_include(0, "a.inc"),
        refer_module(0, "GEOM"),
        refer_module(0, "geom"),
        refer_module(0, "other"),
        // Source 1 refers to the same entries.
        refer_include(1, "k1.inc"),
        refer_include(1, "a.inc"),
        refer_include(1, "k1.inc"),
        refer_module(1, "other"),
        refer_module(1, "Geom"),
        refer_module(1, "OTHER"),
        // Source 2 refers to new entries; then rows that overflow the small capacities.
        refer_include(2, "new.inc"),
        refer_module(2, "fresh"),
        refer_include(2, "new.inc"),
        refer_module(2, "FRESH"),
        include("x1.inc"),
        include("x2.inc"),
        use(2, "y1"),
        use(2, "y2"),
    };
}

TEST_F(TablesTest, IndexGivesTheSameTablesAndReportsAsTheRowSearch) {
    const std::vector<op> script = index_script();
    // Full capacities, then capacities the script overflows at its end.
    for (int capacity : {64, 11, 5}) {
        mxinc = mxrinc = mxmod = mxrmod = capacity;
        indexed_run plain(false), fast(true);
        for (const op& o : script) {
            plain.apply(o);
            fast.apply(o);
        }
        EXPECT_EQ(fast.log, plain.log) << capacity;
        EXPECT_EQ(fast.tables(), plain.tables()) << capacity;
        EXPECT_EQ(plain.log.find("overflow") != std::string::npos, capacity != 64) << capacity;
    }
}

TEST_F(TablesTest, IndexLinksManyChildrenInOrder) {
    mxinc = 64;
    indexed_run plain(false), fast(true);
    for (indexed_run* r : {&plain, &fast}) {
        inctab_row* top = build_inctab(0, nullptr, r->p, 1, 0, "top.inc");
        for (int k = 0; k < 40; ++k) {
            std::string name = "k";
            name += std::to_string(k) + ".inc";
            inctab_row* parent = k % 5 == 4 ? &r->incs[k] : top; // now and then a grandchild
            build_inctab(1, parent, r->p, 1, 0, name);
        }
    }
    EXPECT_EQ(fast.tables(), plain.tables());
}

TEST_F(TablesTest, TablesThatOutgrowTheirIndexAreSearchedRowByRow) {
    mxinc = mxmod = 4; // the index is taken for these capacities
    indexed_run plain(false), fast(true);
    mxinc = mxmod = 12;
    for (indexed_run* r : {&plain, &fast}) {
        for (int k = 0; k < 10; ++k) {
            std::string name = "n";
            name += std::to_string(k % 7);
            build_inctab(0, nullptr, r->p, 1, 0, name);
            build_modtab(k % 2 ? "use" : "module", r->p, name, &r->srcs[0]);
        }
    }
    EXPECT_EQ(fast.p.inc, 7);
    EXPECT_EQ(fast.tables(), plain.tables());
}

TEST(CompilerModules, AreKnownIgnoringCase) {
    struct Case {
        const char* name;
        bool provided;
    } cases[] = {
        {"ISO_C_BINDING", true},
        {"iso_fortran_env", true},
        {"Ieee_Arithmetic", true},
        {"IEEE_EXCEPTIONS", true},
        {"ieee_features", true},
        {"omp_lib", true},
        {"OMP_LIB_KINDS", true},
        {"openacc", true},
        {"iso_c_bindings", false},
        {"omp", false},
        {"", false},
        {"mpi", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(is_compiler_module(c.name), c.provided) << c.name;
}

} // namespace
