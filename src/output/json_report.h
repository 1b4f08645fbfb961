// SPDX-License-Identifier: MIT
// The --json report: the navigation model of the disc as one JSON document.
#pragma once

#include "navigation/model.h"

#include <string_view>

// Writes the JSON document of the disc in the folder `path` (normalized: it
// ends in a separator) to the console, for the dumps asked for. Returns 1
// when a problem was reported (the text report's exit status), else 0.
int write_json_report(const char *path, bool ifo, bool menu_vob);
// Writes the document of a run that reads no disc (a path that is no disc
// image, or too long): `message` is its one problem, the dumps are null.
void write_json_without_disc(std::string_view message, bool ifo, bool menu_vob);

// Appends `bytes` to `out` as valid UTF-8: well-formed sequences as they
// are, every other byte as U+FFFD. Used for all text that comes from the disc
// or the command line.
void append_valid_utf8(std::string_view bytes, std::string &out);

// A domain as every JSON document names it: "first_play", "vmgm", "vtsm", "vts_title".
const char *json_domain_name(navigation::Domain domain);
