// SPDX-License-Identifier: MIT
// The disc's files as the navigation walk reads them: the one place that opens them.
#include "navigation/disc_files.h"

#include "ifo/ifo_layout.h"
#include "menuvob/menu_vob_scan.h"
#include "platform/disc_file.h"

namespace navigation {

LoadResult load_control_file(const char *name, uint8_t *buffer, size_t capacity, IfoImage *image) {
  DiscFile *file = open_disc_file(name);
  if (file == nullptr)
    return LoadResult::kNotFound;
  const size_t size = read_disc_file(file, buffer, capacity);
  const bool failed = disc_file_failed(file);
  close_disc_file(file);
  *image = IfoImage{buffer, size};
  if (failed)
    return LoadResult::kUnreadable;
  return size < kMinControlFileSize ? LoadResult::kTooShort : LoadResult::kLoaded;
}

bool disc_file_exists(const char *name) {
  DiscFile *file = open_disc_file(name);
  if (file == nullptr)
    return false;
  close_disc_file(file);
  return true;
}

bool collect_menu_vob_buttons(const char *name) {
  DiscFile *vob = open_disc_file(name);
  if (vob == nullptr)
    return false;
  collect_menu_vob(vob);
  close_disc_file(vob);
  return true;
}

} // namespace navigation
