// SPDX-License-Identifier: MIT
// The names of one folder and the case-insensitive name lookup.
#include "platform/name_list.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

unsigned char fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Byte order of the names with ASCII letters folded to lower case.
bool less_ignoring_case(const char *a, const char *b) {
  for (;; ++a, ++b) {
    const unsigned char ca = fold(static_cast<unsigned char>(*a));
    const unsigned char cb = fold(static_cast<unsigned char>(*b));
    if (ca != cb || ca == '\0')
      return ca < cb;
  }
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
  // Names equal but for case keep their byte order, so the first of them is the one to find.
  folded_.resize(entries_.size());
  std::iota(folded_.begin(), folded_.end(), 0u);
  std::stable_sort(folded_.begin(), folded_.end(), [this](uint32_t a, uint32_t b) {
    return less_ignoring_case(entries_[a].name.c_str(), entries_[b].name.c_str());
  });
}

const FolderEntry *NameList::find(const char *name, bool folders_only) const {
  const auto exact =
      std::lower_bound(entries_.begin(), entries_.end(), name,
                       [](const FolderEntry &entry, const char *key) { return entry.name < key; });
  if (exact != entries_.end() && exact->name == name && (exact->is_folder || !folders_only))
    return &*exact;
  auto it =
      std::lower_bound(folded_.begin(), folded_.end(), name, [this](uint32_t e, const char *key) {
        return less_ignoring_case(entries_[e].name.c_str(), key);
      });
  for (; it != folded_.end() && equal_ignoring_case(entries_[*it].name.c_str(), name); ++it)
    if (entries_[*it].is_folder || !folders_only)
      return &entries_[*it];
  return nullptr;
}
