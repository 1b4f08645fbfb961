// SPDX-License-Identifier: MIT
// Messages that report a problem with the input, and the record of whether any was printed.
#pragma once

#include <cstdint>

// "%s not found.\n" for a control file that does not open.
void report_file_not_found(const char *name);
// "%s is invalid format.\n" for a control file shorter than 4096 bytes.
void report_invalid_format(const char *name);
// A plain message line that also counts as a reported input problem.
void report_input_message(const char *text);
// One marker line for a table, entry or command that does not lie inside the
// bytes read: "<indent>(out of range: <what> at 0x<offset>)\n".
void report_out_of_range(const char *indent, const char *what, uint64_t offset);

// Whether any of the above has been printed since the last reset; the
// driver turns it into the exit status.
bool input_problem_reported();
void reset_input_problem();
