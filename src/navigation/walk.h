// SPDX-License-Identifier: MIT
// One walk of the disc for the structured reports: every problem, then the content, to a Visitor.
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
};

// Walks the disc in the folder `path` (normalized: it ends in a separator).
// The visitor first gets every problem that the text report of the same dumps
// prints, in its order, then the content, each command with its target
// resolved. Reads the control files twice: once for the tables that targets
// are resolved through, once for the content. Returns true when any problem
// was reported (the text report's exit status 1).
bool walk_disc(const char *path, Dumps dumps, Visitor &visitor);

} // namespace navigation
