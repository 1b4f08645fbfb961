// SPDX-License-Identifier: MIT
// Loading one control file whole into memory of its own size.
#include "ifo/control_file.h"

#include "ifo/ifo_layout.h"
#include "platform/disc_file.h"

#include <algorithm>

LoadedIfo load_control_file(const char *name) {
  LoadedIfo ifo;
  DiscFile *file = open_disc_file(name);
  if (file == nullptr)
    return ifo;
  const size_t capacity =
      static_cast<size_t>(std::min<uint64_t>(disc_file_size(file), kMaxControlFileRead));
  ifo.data = std::make_unique_for_overwrite<uint8_t[]>(capacity);
  ifo.size = read_disc_file(file, ifo.data.get(), capacity);
  ifo.read_failed = disc_file_failed(file);
  close_disc_file(file);
  ifo.result = ifo.size < kMinControlFileSize ? LoadResult::kTooShort : LoadResult::kLoaded;
  return ifo;
}
