// SPDX-License-Identifier: MIT
// The disc's control files for one run, each read once and kept while they fit a budget.
#pragma once

#include "ifo/control_file.h"
#include "ifo/ifo_layout.h"

#include <array>
#include <string>

namespace navigation {

// VIDEO_TS.IFO (title set 0) and VTS_01_0.IFO to VTS_99_0.IFO. Each file is
// read when it is first asked for. With keep_files(), the bytes of the files
// read from then on stay in memory while they fit the budget, so that a run
// that comes back to a file (the menu VOBs after the control files, a target
// resolved in a title set ahead) reads every file of a real disc once; a
// file that does not fit is read again when it is asked for again. What the
// first read found (missing, too short, a read failure) is what every later
// ask is told. A file that cannot be read whole is replaced by its backup
// (.BUP) when that is sound, and then always read from the backup.
class ControlFiles {
public:
  // Kept files may hold this much in all; a file larger than a quarter of it
  // is never kept.
  static constexpr size_t kKeepBudget = 8 * 1024 * 1024;

  // `path` is the disc's folder as built, ending in a separator.
  explicit ControlFiles(std::string path) : path_(std::move(path)) {}

  void keep_files() { keep_ = true; }

  // The file of title set `title_set`. Its bytes stay valid until take() is
  // called for another file, unless they are kept.
  const LoadedIfo &take(unsigned title_set);

  // Whether the disc has title set `title_set` (1..99). This one rule decides
  // the title sets of every dump, report and the target index: when
  // VIDEO_TS.IFO states how many there are (1 to 99), those, whether their
  // files are there or not; else those whose control files load, in order,
  // up to the first that does not. May take() the files it asks about.
  bool has_title_set(unsigned title_set);
  // The number VIDEO_TS.IFO states, or 0 when it states none usable (it does
  // not load, or states 0 or more than 99).
  unsigned stated_title_sets();

  // The file's name (its backup's with `backup`) as built from the disc's
  // path, and its own name within it.
  std::string name(unsigned title_set, bool backup = false) const;
  static std::string own_name(unsigned title_set, bool backup = false);

private:
  struct Entry {
    bool read = false;
    bool kept = false;
    LoadedIfo ifo;
  };

  std::string path_;
  bool keep_ = false;
  size_t kept_bytes_ = 0;
  unsigned stated_ = 0; // see stated_title_sets
  // The file whose bytes are held without being kept, and the memory that
  // every such file is read into in turn.
  int scratch_ = -1;
  LoadedIfo scratch_memory_;
  std::array<Entry, kMaxTitleSets + 1> files_;
};

} // namespace navigation
