// SPDX-License-Identifier: MIT
// The one walk of the disc: the control files and the menu VOBs in report order, to a Visitor.
#pragma once

#include "navigation/model.h"

namespace navigation {

// Which parts of the disc to walk: -I (the control files) and -V (the menu VOBs).
struct Dumps {
  bool ifo = true;
  bool menu_vob = true;
  // Walks the control files' content even without -I, their problems left
  // out as -V leaves them out: the graph draws every chain, buttons or not.
  bool chains_without_ifo = false;
  // Resolves every command's target (Command::resolution); the text report
  // has no use for it.
  bool resolve = false;
  // Walks the chains of a language unit that shares its chain table with an
  // earlier unit (see LanguageUnit::repeats). The graph draws such a unit
  // once, and a file can make one table stand for 65535 units.
  bool repeated_units = true;
};

// Walks the disc in the folder `path` (normalized: it ends in a separator)
// and calls `visitor` for what it meets, each problem at its place in the
// text report's order. Each control file and menu VOB is read once (a file
// read again only where it did not fit the memory kept for them). Returns
// true when any problem was reported (the exit status 1).
bool walk_disc(const char *path, Dumps dumps, Visitor &visitor);

} // namespace navigation
