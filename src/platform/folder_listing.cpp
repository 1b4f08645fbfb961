// SPDX-License-Identifier: MIT
// Folder listings read once per run and kept.
#include "platform/folder_listing.h"

#include <deque>
#include <dirent.h>
#include <sys/stat.h>

namespace {

struct CachedFolder {
  std::string folder;
  bool listed;
  NameList names;
};

// A deque keeps the listings where they are while more are added.
std::deque<CachedFolder> cache;

bool entry_is_folder(DIR *dir, const dirent *entry) {
  if (entry->d_type == DT_DIR)
    return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
    return false;
  struct stat info;
  return fstatat(dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

const NameList *folder_listing(const char *folder) {
  for (const CachedFolder &cached : cache)
    if (cached.folder == folder)
      return cached.listed ? &cached.names : nullptr;
  CachedFolder &cached = cache.emplace_back(CachedFolder{folder, false, {}});
  DIR *dir = opendir(folder);
  if (dir == nullptr)
    return nullptr;
  while (const dirent *entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      cached.names.add(name, entry_is_folder(dir, entry));
  }
  closedir(dir);
  cached.names.finish();
  cached.listed = true;
  return &cached.names;
}

void forget_folder_listings() {
  cache.clear();
}
