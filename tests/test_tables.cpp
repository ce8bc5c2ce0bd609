// The project tables: find-or-add order, overflow at capacity, links and references.
#include "captured_output.hpp"
#include "tables.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Tables at small capacities, taken as the driver takes them.
struct TablesTest : ::testing::Test {
    project p;
    project_storage storage;
    srctab_row* srcs = nullptr;
    inctab_row* incs = nullptr;
    refinctab_row* rincs = nullptr;
    modtab_row* mods = nullptr;
    rmodtab_row* rmods = nullptr;

    void SetUp() override { take(capacities{4, 8, 8, 8, 8}); }
    void take(const capacities& cap) {
        p = project{};
        p.cap = cap;
        ASSERT_TRUE(take_project(p, storage));
        srcs = p.srctab;
        incs = p.inctab;
        rincs = p.refinctab;
        mods = p.modtab;
        rmods = p.rmodtab;
        for (int i = 0; i < cap.mxsrc; ++i) {
            srcs[i] = srctab_row{};
            srcs[i].no = i + 1;
        }
    }
};

TEST(TableAdd, AddressesRowsAndSendsNegativePositionsToRowZero) {
    char table[5 * 7] = {};
    EXPECT_EQ(mprc_table_add(table, 7, 0), table);
    EXPECT_EQ(mprc_table_add(table, 7, 4), table + 28);

    captured_output cap;
    EXPECT_EQ(mprc_table_add(table, 7, -3), table);
    EXPECT_EQ(cap.take_out(), "#ERROR#  mprc_table_add  invalid no=-3\n");
    EXPECT_EQ(cap.take_err(), "#WARN#   \n");
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
    captured_output cap;
    for (const Case& c : cases) {
        char out[path_size + 8];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(mprc_filename(out, c.in1.c_str(), c.in2.c_str(), '\\'), c.result) << c.in1;
        std::string said = cap.take_out();
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
    take(capacities{4, 2, 2, 2, 2});
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

    captured_output cap;
    EXPECT_EQ(build_inctab(0, nullptr, p, 1, 0, "3.inc"), nullptr);
    EXPECT_EQ(build_modtab("use", p, "m3", s), nullptr);
    EXPECT_EQ(build_refinctab(&incs[1], p, &srcs[1]), nullptr);
    EXPECT_EQ(build_rmodtab(&mods[1], p, &srcs[1]), nullptr);
    EXPECT_EQ(cap.take_out(), "#ERROR#  build_inctab  include table overflow >=2\n"
                              "#ERROR#  build_modtab  module table overflow >=2\n"
                              "#ERROR#  build_refinctab  rinclude table overflow >=2\n"
                              "#ERROR#  build_rmodtab  rmodule table overflow >=2\n");
    EXPECT_EQ(cap.take_err(),
              "#ERROR#  include table overflow\n#ERROR#  module table overflow\n"
              "#ERROR#  rinclude table overflow\n#ERROR#  rmodule table overflow\n");
    EXPECT_EQ(p.inc, 2);
    EXPECT_EQ(p.mod, 2);
    EXPECT_EQ(p.rinc, 2);
    EXPECT_EQ(p.rmod, 2);
    EXPECT_STREQ(incs[1].name, "2.inc");

    // What is already there is still found at capacity, silently.
    EXPECT_EQ(build_inctab(0, nullptr, p, 1, 0, "1.inc"), i1);
    EXPECT_EQ(build_modtab("module", p, "M1", s), m1);
    EXPECT_EQ(build_refinctab(&incs[0], p, s), r1);
    EXPECT_EQ(build_rmodtab(&mods[0], p, s), q1);
    EXPECT_EQ(cap.take_out(), "");
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
    captured_output cap;
    for (const Step& st : steps) {
        modtab_row* m = build_modtab(st.kind, p, st.name, &srcs[st.source]);
        std::string out = cap.take_out();
        std::string err = cap.take_err();
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

// A parent's children chain in the order they were met, however many there are: the
// parent's last child is found in one step.
TEST_F(TablesTest, ManyChildrenChainInOrder) {
    take(capacities{4, 64, 8, 8, 8});
    inctab_row* top = build_inctab(0, nullptr, p, 1, 0, "top.inc");
    for (int k = 0; k < 40; ++k) {
        std::string name = "k";
        name += std::to_string(k) + ".inc";
        inctab_row* parent = k % 5 == 4 ? &incs[k] : top; // now and then a grandchild
        build_inctab(1, parent, p, 1, 0, name);
    }
    std::string chain;
    for (const inctab_row* c = top->child; c != nullptr; c = c->next)
        chain +=
            c->name + std::string(c->child ? "(" + std::string(c->child->name) + ")" : "") + " ";
    EXPECT_EQ(chain, "k0.inc k1.inc k2.inc k3.inc(k4.inc) k5.inc k6.inc k7.inc k8.inc(k9.inc) "
                     "k10.inc k11.inc k12.inc k13.inc(k14.inc) k15.inc k16.inc k17.inc "
                     "k18.inc(k19.inc) k20.inc k21.inc k22.inc k23.inc(k24.inc) k25.inc k26.inc "
                     "k27.inc k28.inc(k29.inc) k30.inc k31.inc k32.inc k33.inc(k34.inc) k35.inc "
                     "k36.inc k37.inc k38.inc(k39.inc) ");
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
