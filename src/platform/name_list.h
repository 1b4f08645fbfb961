// SPDX-License-Identifier: MIT
// The names of one folder, on disk or in a disc image, and the rule by which a fixed name finds its
// entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FolderEntry {
  std::string name;
  bool is_folder;
};

// Names are matched as on the disc's own file system: the exact name when the
// folder holds it, else the first name in byte order that equals it without
// regard to ASCII case, so that a folder holding both video_ts.ifo and
// Video_TS.IFO always gives the same answer. Either takes a binary search, so
// that a folder of many names costs no pass over them per lookup.
class NameList {
public:
  void add(std::string name, bool is_folder);
  // Sorts the names; call it once, after the last add().
  void finish();
  const FolderEntry *find(const char *name) const { return find(name, false); }
  // The same rule among the subfolders only.
  const FolderEntry *find_folder(const char *name) const { return find(name, true); }
  const std::vector<FolderEntry> &entries() const { return entries_; }

private:
  const FolderEntry *find(const char *name, bool folders_only) const;
  std::vector<FolderEntry> entries_;
  std::vector<uint32_t> folded_; // entries_ in byte order of their names with case folded
};

// Whether two names are equal when ASCII letters are folded to lower case.
bool equal_ignoring_case(const char *a, const char *b);
