// SPDX-License-Identifier: MIT
// The menu VOBs as the navigation walk reads them: whether one opens, and its buttons.
#include "navigation/disc_files.h"

#include "menuvob/menu_vob_scan.h"
#include "platform/disc_file.h"

namespace navigation {

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
