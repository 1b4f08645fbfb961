// The disc's files as the navigation walk reads them: control files whole, menu VOBs pack by pack.
#pragma once

#include "common/bytes.h"

#include <cstddef>
#include <cstdint>

namespace navigation {

enum class LoadResult { kLoaded, kNotFound, kTooShort };

// Reads the control file `name` whole (up to `capacity` bytes) into `buffer`.
// A file shorter than the smallest control file loads but is kTooShort.
LoadResult load_control_file(const char *name, uint8_t *buffer, size_t capacity, IfoImage *image);

// True when the file `name` opens.
bool disc_file_exists(const char *name);

// Reads the menu VOB `name` to its end into the button collection of the -V
// dump (begin_button_collection, collect_packs). False when it does not open.
bool collect_menu_vob_buttons(const char *name);

} // namespace navigation
