// SPDX-License-Identifier: MIT
// How the reports name a program chain and a language code, the same in the graph and the traces.
#pragma once

#include "navigation/model.h"

#include <cstdint>
#include <string>

// "VTS_01 Menu PGC_002 (Root menu)", "VTS_02 Title PGC_001 (Title 1)",
// "First Play": the chain as the text report's headers name it; `category`
// is byte 0 of its search pointer.
std::string chain_name(const navigation::ChainRef &ref, uint8_t category);

// A language code as the report shows it: its two bytes when both are
// printable ASCII, else "??". `out` holds 3 characters.
void format_language_code(const uint8_t *code, char *out);
