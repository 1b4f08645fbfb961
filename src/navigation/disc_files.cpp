// The disc's files as the navigation walk reads them: the one place that opens them.
#include "navigation/disc_files.h"

#include "ifo/ifo_layout.h"
#include "menuvob/menu_vob_scan.h"
#include "platform/input_file.h"

#include <cstdio>

namespace navigation {

LoadResult load_control_file(const char *name, uint8_t *buffer, size_t capacity, IfoImage *image) {
  std::FILE *file = open_input_file(name);
  if (file == nullptr)
    return LoadResult::kNotFound;
  const size_t size = std::fread(buffer, 1, capacity, file);
  std::fclose(file);
  *image = IfoImage{buffer, size};
  return size < kMinControlFileSize ? LoadResult::kTooShort : LoadResult::kLoaded;
}

bool disc_file_exists(const char *name) {
  std::FILE *file = open_input_file(name);
  if (file == nullptr)
    return false;
  std::fclose(file);
  return true;
}

bool collect_menu_vob_buttons(const char *name) {
  std::FILE *vob = open_input_file(name);
  if (vob == nullptr)
    return false;
  collect_menu_vob(vob);
  std::fclose(vob);
  return true;
}

} // namespace navigation
