// SPDX-License-Identifier: MIT
// The layout that every dump's part of the report shares: the separators between its parts.
#pragma once

// The separators that open each file's part of the report (equals signs)
// and each further section of the same file (hyphens).
void print_file_separator();
void print_section_separator();
