// SPDX-License-Identifier: MIT
// The layout that every dump's part of the report shares: the separators between its parts.
#include "common/report_layout.h"

#include "platform/console.h"

void print_file_separator() {
  console_write_text(
      "\n==============================================================================\n");
}

void print_section_separator() {
  console_write_text(
      "\n------------------------------------------------------------------------------\n");
}
