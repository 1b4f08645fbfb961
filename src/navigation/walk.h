// SPDX-License-Identifier: MIT
// The one walk of the disc: the control files and the menu VOBs in report order, to a Visitor.
#pragma once

#include "navigation/disc_index.h"
#include "navigation/model.h"

#include <memory>

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
  // Tells how each chain plays (Chain's cells and programs) and each title
  // set's chapters, for a player.
  bool playback = false;
  // Walks the chains of a language unit that shares its chain table with an
  // earlier unit (see LanguageUnit::repeats). The graph draws such a unit
  // once, and a file can make one table stand for 65535 units.
  bool repeated_units = true;
};

// Walks the disc in the folder `path` (normalized: it ends in a separator)
// and calls `visitor` for what it meets, each problem at its place in the
// text report's order. Each control file and menu VOB is read once (a file
// read again only where it did not fit the memory kept for them). Returns
// true when any problem other than a note was reported (the exit status 1).
bool walk_disc(const char *path, Dumps dumps, Visitor &visitor);

class Walker;

// The walk as a player takes it: one title set at a time, as it enters them,
// every target resolved and every chain's playback told.
class TitleSetWalk {
public:
  TitleSetWalk(const char *path, Visitor &visitor);
  ~TitleSetWalk();
  TitleSetWalk(const TitleSetWalk &) = delete;
  TitleSetWalk &operator=(const TitleSetWalk &) = delete;

  // The control file of title set `title_set` (0: the video manager) and its
  // menu VOB, with their problems. False when the control file does not load.
  bool walk(unsigned title_set);
  // Whether the disc has the title set, as -I walks them.
  bool has_title_set(unsigned title_set) const;
  // Whether the title set is one of the disc's, as VIDEO_TS.IFO counts them
  // (else as their files are present), whether or not its control file loads.
  bool names_title_set(unsigned title_set) const;
  // Where `target` leads from `origin`, through the disc's tables. Not for
  // LinkPTTN and JumpVTS_PTT, which the walk resolves in their title set.
  Resolution resolve(const Origin &origin, const Target &target) const;

private:
  std::unique_ptr<Walker> walker_;
};

} // namespace navigation
