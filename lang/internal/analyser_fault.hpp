// The one report of a faulty statement, shared by the two analysers (internal to lang/).
#pragma once

// Writes "#ERROR#  <what>" and the statement bun to standard output (two blanks before
// "bun=" with two_blanks, else one), the summary what through print_diag under tag, empties
// name and returns bunclass_fault.
int analyser_fault(const char* what, bool two_blanks, const char* bun, char* name, const char* tag);
