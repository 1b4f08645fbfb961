// SPDX-License-Identifier: MIT
// The names of one folder and the case-insensitive name lookup.
#include "platform/name_list.h"

#include <algorithm>
#include <cstring>

namespace {

unsigned char fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

} // namespace

bool equal_ignoring_case(const char *a, const char *b) {
  for (;; ++a, ++b) {
    const unsigned char ca = fold(static_cast<unsigned char>(*a));
    if (ca != fold(static_cast<unsigned char>(*b)))
      return false;
    if (ca == '\0')
      return true;
  }
}

void NameList::add(std::string name, bool is_folder) {
  entries_.push_back(FolderEntry{std::move(name), is_folder});
}

void NameList::finish() {
  std::sort(entries_.begin(), entries_.end(),
            [](const FolderEntry &a, const FolderEntry &b) { return a.name < b.name; });
}

const FolderEntry *NameList::find(const char *name, bool folders_only) const {
  const auto exact =
      std::lower_bound(entries_.begin(), entries_.end(), name,
                       [](const FolderEntry &entry, const char *key) { return entry.name < key; });
  if (exact != entries_.end() && exact->name == name && (exact->is_folder || !folders_only))
    return &*exact;
  for (const FolderEntry &entry : entries_)
    if ((entry.is_folder || !folders_only) && equal_ignoring_case(entry.name.c_str(), name))
      return &entry;
  return nullptr;
}
