#!/usr/bin/env python3
"""Writes a synthetic Fortran and C project for timing zelkov.

The project is deterministic for a given size and seed. Layout under the output directory:

  inc/           shared Fortran include files, some of them including others
  sNNN/          up to DIR_SIZE sources each: fixed-form .f, free-form .f90, and C sources
                 (about 5 %) with their local headers .h, some headers including others
  zelkov.args    the arguments for zelkov, one a line (table sizes, -I options, wildcards)
  sources.txt    every source file, one a line, in the order zelkov processes them
  files.txt      every file of the project (sources and include files), one a line

Modules are defined in layers: a module uses only modules of lower layers, so the project
could be compiled. USE statements carry ONLY lists now and then. Names stay short so that
every makefile line fits its 131 characters.
"""
import argparse
import os
import random

DIR_SIZE = 500          # sources per directory
LAYERS = 6              # module layers
MODULE_SHARE = 0.35     # share of Fortran sources that define modules
C_SHARE = 0.05          # share of C sources
INC_SHARE = 0.04        # shared Fortran include files per source
HDR_PER_DIR = 5         # local C headers per source directory


class Project:
    def __init__(self, n, seed):
        self.n = n
        self.rnd = random.Random(seed)
        self.dirs = max(1, (n + DIR_SIZE - 1) // DIR_SIZE)
        self.files = {}      # relative path -> text
        self.sources = []    # relative paths in processing order
        self.inc_children = {}   # include name -> names it includes
        self.hdr_children = {}   # (dir, header) -> headers it includes
        self.rinc = 0
        self.rmod = 0

    # Shared include files: inc/iNNNNN.inc; a few include one or two earlier ones.
    def make_includes(self):
        count = max(2, int(self.n * INC_SHARE))
        self.incs = [f"i{k:05d}.inc" for k in range(count)]
        for k, name in enumerate(self.incs):
            kids = []
            if k >= 2 and self.rnd.random() < 0.4:
                kids = self.rnd.sample(self.incs[:k], self.rnd.randint(1, min(2, k)))
            self.inc_children[name] = kids
            lines = [f"! shared declarations {k}"]
            for kid in kids:
                lines.append(f"      include '{kid}'")
            lines.append(f"      integer, parameter :: np{k} = {self.rnd.randint(1, 999)}")
            lines.append(f"      real(8) :: w{k}(np{k})")
            lines.append(f"      common /blk{k}/ w{k}")
            for j in range(self.rnd.randint(6, 14)):
                lines.append(f"      real(8) :: x{k}_{j}, y{k}_{j}  ! work values {j}")
            self.files[f"inc/{name}"] = "\n".join(lines) + "\n"

    def reach(self, children, start):
        """Distinct include files read for one source that includes start."""
        seen, todo = set(), list(start)
        while todo:
            name = todo.pop()
            if name in seen:
                continue
            seen.add(name)
            todo.extend(children.get(name, []))
        return seen

    def plan_sources(self):
        nfort = self.n - max(1, int(self.n * C_SHARE))
        kinds = ["c"] * (self.n - nfort) + ["f"] * nfort
        self.rnd.shuffle(kinds)
        kinds[0] = "f"  # the main program
        self.plan = []
        mod_no = 0
        for idx, kind in enumerate(kinds):
            d = idx % self.dirs
            if kind == "c":
                self.plan.append((d, "c", idx, []))
                continue
            mods = []
            if idx > 0 and self.rnd.random() < MODULE_SHARE:
                layer = min(LAYERS - 1, int(LAYERS * idx / self.n))
                for _ in range(2 if self.rnd.random() < 0.1 else 1):
                    mods.append((f"m{mod_no:06d}", layer))
                    mod_no += 1
            self.plan.append((d, "f", idx, mods))
        self.by_layer = [[] for _ in range(LAYERS)]
        for _, _, _, mods in self.plan:
            for name, layer in mods:
                self.by_layer[layer].append(name)
        self.modules = mod_no

    def uses_for(self, layer):
        pool = [m for lay in range(layer) for m in self.by_layer[lay][-400:]]
        if not pool:
            return []
        return self.rnd.sample(pool, min(len(pool), self.rnd.randint(1, 5)))

    def fortran(self, d, idx, mods, fixed):
        rnd = self.rnd
        ind = "      " if fixed else "  "
        cmt = "C" if fixed else "!"
        lines = [f"{cmt} generated source {idx}"]
        layer = mods[0][1] if mods else LAYERS
        uses = self.uses_for(layer)
        incs = rnd.sample(self.incs, rnd.randint(0, 2)) if rnd.random() < 0.7 else []
        if idx == 0:
            lines.append("program main")
            lines.append(f"{ind}implicit none")
        for name, _ in mods:
            lines.append(f"{'      ' if fixed else ''}module {name}")
        for k, u in enumerate(uses):
            if k % 3 == 1:
                lines.append(f"{ind}use {u}, only: v_{u}, s_{u}")
            elif k % 3 == 2 and not fixed:
                lines.append(f"{ind}use :: {u}")
            else:
                lines.append(f"{ind}use {u}")
        if rnd.random() < 0.1:
            lines.append(f"{ind}use, intrinsic :: iso_c_binding")
        lines.append(f"{ind}implicit none")
        for inc in incs:
            lines.append(f"{ind}include '{inc}'")
        for name, _ in mods:
            lines.append(f"{ind}real(8) :: v_{name}(100)")
        if mods:
            lines.append(f"{'      ' if fixed else ''}contains")
        body = [f"{ind}subroutine s_{idx}(a, n)",
                f"{ind}integer, intent(in) :: n",
                f"{ind}real(8), intent(inout) :: a(n)",
                f"{ind}integer :: i, j"]
        for k in range(rnd.randint(3, 7)):
            body.append(f"{cmt} step {k}: scale and shift the values")
            body.append(f"{ind}do i = 1, n")
            if fixed:
                body.append(f"{ind}  a(i) = a(i) * {k + 1}.0d0 + real(i, 8) /")
                body.append(f"     &  {k + 2}.0d0")
            else:
                body.append(f"{ind}  a(i) = a(i) * {k + 1}.0d0 + real(i, 8) / &")
                body.append(f"{ind}         {k + 2}.0d0")
            body.append(f"{ind}end do")
        body.append(f"{ind}end subroutine s_{idx}")
        lines.extend(body)
        for name, _ in reversed(mods):
            lines.append(f"{'      ' if fixed else ''}end module {name}")
        if idx == 0:
            lines.append("end program main")
        self.rinc += len(self.reach(self.inc_children, incs))
        self.rmod += len(set(uses))
        return "\n".join(lines) + "\n"

    def make_headers(self):
        self.hdrs = {}
        for d in range(self.dirs):
            names = [f"h{d:03d}_{k}.h" for k in range(HDR_PER_DIR)]
            self.hdrs[d] = names
            for k, name in enumerate(names):
                kids = [names[k - 1]] if k > 0 and self.rnd.random() < 0.5 else []
                self.hdr_children[(d, name)] = [(d, x) for x in kids]
                lines = [f"/* local header {name} */", f"#ifndef H{d}_{k}", f"#define H{d}_{k}"]
                lines += [f'#include "{kid}"' for kid in kids]
                lines += [f"int f{d}_{k}_{j}(int x, double *y);" for j in range(8)]
                lines.append("#endif")
                self.files[f"s{d:03d}/{name}"] = "\n".join(lines) + "\n"

    def c_source(self, d, idx):
        rnd = self.rnd
        hdrs = rnd.sample(self.hdrs[d], rnd.randint(1, 3))
        lines = [f"/* generated source {idx} */", "#include <stdio.h>", "#include <math.h>"]
        lines += [f'#include "{h}"' for h in hdrs]
        for k in range(rnd.randint(3, 6)):
            lines += [f"double c{idx}_{k}(double x)", "{",
                      "    double y = x; /* scale the value */",
                      f"    for (int i = 0; i < {k + 3}; ++i) {{ y = y * 0.5 + sqrt(x); }}",
                      "    return y;", "}"]
        self.rinc += len(self.reach(self.hdr_children, [(d, h) for h in hdrs]))
        return "\n".join(lines) + "\n"

    def make_sources(self):
        for d, kind, idx, mods in self.plan:
            if kind == "c":
                path = f"s{d:03d}/c{idx:06d}.c"
                self.files[path] = self.c_source(d, idx)
            else:
                fixed = (idx // self.dirs) % 2 == 1
                stem = "main" if idx == 0 else (f"m{idx:06d}" if mods else f"p{idx:06d}")
                path = f"s{d:03d}/{stem}.{'f' if fixed else 'f90'}"
                self.files[path] = self.fortran(d, idx, mods, fixed)
            self.sources.append(path)

    def arguments(self):
        # Fortran sources of every directory with the shared include directory, then the C
        # sources, each of which looks for its headers in its own directory.
        inc_entries = len(self.incs) + self.dirs * HDR_PER_DIR
        args = [f"-mxsrc{self.n + 1}", f"-mxinc{inc_entries + 16}",
                f"-mxrinc{self.rinc + 16}", f"-mxmod{self.modules + 16}",
                f"-mxrmod{self.rmod + 16}", "-Iinc"]
        order = []
        # A pattern that matches nothing fails the run, so only kinds present are named.
        def add(d, ext):
            got = sorted(p for p in self.sources
                         if p.startswith(f"s{d:03d}/") and p.endswith("." + ext))
            if got:
                args.append(f"s{d:03d}/*.{ext}")
                order.extend(got)
        for d in range(self.dirs):
            add(d, "f")
            add(d, "f90")
        args.append("-I")
        for d in range(self.dirs):
            add(d, "c")
        return args, order


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sources", type=int, required=True, help="number of source files")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--out", required=True, help="directory to write (created)")
    a = ap.parse_args()
    if a.sources < 2:
        ap.error("at least 2 sources")
    pr = Project(a.sources, a.seed)
    pr.make_includes()
    pr.plan_sources()
    pr.make_headers()
    pr.make_sources()
    args, order = pr.arguments()
    for rel, text in pr.files.items():
        path = os.path.join(a.out, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
    with open(os.path.join(a.out, "zelkov.args"), "w") as f:
        f.write("\n".join(args) + "\n")
    with open(os.path.join(a.out, "sources.txt"), "w") as f:
        f.write("\n".join(order) + "\n")
    with open(os.path.join(a.out, "files.txt"), "w") as f:
        f.write("\n".join(sorted(pr.files)) + "\n")
    size = sum(len(t) for t in pr.files.values())
    print(f"{a.out}: {a.sources} sources, {len(pr.files)} files, {size} bytes, "
          f"{pr.modules} modules")


if __name__ == "__main__":
    main()
