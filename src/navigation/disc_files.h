// SPDX-License-Identifier: MIT
// The menu VOBs as the navigation walk reads them: whether one opens, and its buttons.
#pragma once

namespace navigation {

// True when the file `name` opens.
bool disc_file_exists(const char *name);

// Reads the menu VOB `name` to its end into the button collection of the -V
// dump (begin_button_collection, collect_packs). False when it does not open.
bool collect_menu_vob_buttons(const char *name);

} // namespace navigation
