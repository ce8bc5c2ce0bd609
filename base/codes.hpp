// The codes that pass between the parts of the tool: statement classes, languages, source
// forms and makefile flavours. Each keeps the value that the tables and reports use.
#pragma once

// What an analyser makes of one statement.
constexpr int bunclass_module = 1;  // MODULE name: the source defines the module
constexpr int bunclass_use = 2;     // USE name (or SUBMODULE's ancestor): a module dependency
constexpr int bunclass_include = 3; // INCLUDE 'name' or #include "name"
constexpr int bunclass_program = 5; // PROGRAM name: the source holds a main program
constexpr int bunclass_other = 10;  // any other statement
constexpr int bunclass_fault = -1;  // a faulty statement, already reported

// The language of a source, from its file name.
constexpr int lang_none = 0; // neither: the source is refused
constexpr int lang_fortran = 1;
constexpr int lang_c = 2; // readers and analysers take every code but lang_fortran as C

// The source form of a Fortran file: fixed (columns) or free, from the source's file name.
constexpr int form_fixed = 0;
constexpr int form_free = 1;

// The toolchain a makefile names.
constexpr int flavour_cl = 1;  // cl.exe and df.exe, erase
constexpr int flavour_gnu = 2; // gcc and g77; writers take every code but flavour_cl so
