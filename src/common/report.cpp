// SPDX-License-Identifier: MIT
// Messages that report a problem with the input.
#include "common/report.h"

#include "platform/console.h"
#include "platform/disc_file.h"

namespace {
bool problem_reported = false;
}

void report_file_not_found(const char *name) {
  console_printf("%s not found.\n", name);
  problem_reported = true;
}

void report_invalid_format(const char *name) {
  console_printf("%s is invalid format.\n", name);
  problem_reported = true;
}

void report_input_message(const char *text) {
  console_write_text(text);
  problem_reported = true;
}

void report_out_of_range(const char *indent, const char *what, uint64_t offset) {
  console_printf("%s(out of range: %s at 0x%llX)\n", indent, what,
                 static_cast<unsigned long long>(offset));
  problem_reported = true;
}

bool input_problem_reported() {
  return problem_reported || disc_read_failure_reported();
}

void reset_input_problem() {
  problem_reported = false;
}
