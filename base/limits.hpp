// Every fixed size of the tool, in one place. Any subsystem but dirlib may include this.
#pragma once

// Statement reading: the caller-owned buffers of one open file.
constexpr int bun_size = 13200;    // statement buffer; a statement holds at most bun_size - 1 chars
constexpr int cdstack_size = 256;  // pending-line buffer shared by both readers
constexpr int fort_line_max = 131; // characters of a Fortran line that are read
constexpr int fort_text_col = 72;  // statement text ends at this column
constexpr int fort_label_cols = 5; // the label field
constexpr int fort_card_max = 200; // lines of text in one Fortran statement
constexpr int c_line_max = 255;    // characters of a C line read at once

// Statement analysis.
constexpr int fort_window = 132; // characters of a Fortran statement that are examined
constexpr int c_window = 256;    // characters of a C statement that are examined
constexpr int include_name_max = 131;
constexpr int unit_name_max = 31;   // module, used module and program names, unless -mxname says
constexpr int unit_name_limit = 63; // the most -mxname allows: the longest name Fortran allows
constexpr int name_size = include_name_max + 1; // analyser name buffer: the name and the NUL

// Tables.
constexpr int path_size = 512; // joined directory and file name, NUL included
// Every name field keeps this many characters beyond the longest name and its NUL.
constexpr int name_field_spare = 4;
constexpr int src_name_size = path_size + name_field_spare;           // 516: a scanned file name
constexpr int inc_name_size = name_size + name_field_spare;           // 136
constexpr int mod_name_size = unit_name_limit + 1 + name_field_spare; // 68
constexpr int default_mxsrc = 1000;
constexpr int default_mxinc = 500;
constexpr int default_mxrinc = 500;
constexpr int default_mxmod = 100;
constexpr int default_mxrmod = 500;

// Makefile: the longest line, unless -mxline says; every bound of the writer follows from it.
constexpr int makefile_line_max = 131;

static_assert(src_name_size == 516 && inc_name_size == 136 && mod_name_size == 68,
              "the table rows keep their layout");
