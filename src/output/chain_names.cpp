// SPDX-License-Identifier: MIT
// How the reports name a program chain and a language code.
#include "output/chain_names.h"

#include "ifo/ifo_layout.h"

#include <cstdio>

using navigation::Domain;

std::string chain_name(const navigation::ChainRef &ref, uint8_t category) {
  const bool entry = (category & 0x80) != 0;
  char entry_text[64] = "";
  char name[128] = "";
  switch (ref.domain) {
  case Domain::kFirstPlay:
    return "First Play";
  case Domain::kVmgm:
  case Domain::kVtsm:
    if (entry)
      std::snprintf(entry_text, sizeof entry_text, " (%s)",
                    kEntryMenuNames[category & 0x0F].data());
    if (ref.domain == Domain::kVmgm)
      std::snprintf(name, sizeof name, "VMG Menu PGC_%03u%s", ref.pgcn, entry_text);
    else
      std::snprintf(name, sizeof name, "VTS_%02u Menu PGC_%03u%s", ref.title_set, ref.pgcn,
                    entry_text);
    return name;
  case Domain::kVtsTitle:
    if (entry)
      std::snprintf(entry_text, sizeof entry_text, " (Title %u)", category & 0x7Fu);
    std::snprintf(name, sizeof name, "VTS_%02u Title PGC_%03u%s", ref.title_set, ref.pgcn,
                  entry_text);
    return name;
  }
  return name;
}

void format_language_code(const uint8_t *code, char *out) {
  const bool printable = code[0] >= 0x20 && code[0] <= 0x7E && code[1] >= 0x20 && code[1] <= 0x7E;
  out[0] = printable ? static_cast<char>(code[0]) : '?';
  out[1] = printable ? static_cast<char>(code[1]) : '?';
  out[2] = '\0';
}
