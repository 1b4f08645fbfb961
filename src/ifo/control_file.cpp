// SPDX-License-Identifier: MIT
// Loading one control file whole into memory.
#include "ifo/control_file.h"

#include "ifo/ifo_layout.h"
#include "platform/disc_file.h"

#include <algorithm>
#include <utility>

void load_control_file(const char *name, LoadedIfo &ifo) {
  ifo.result = LoadResult::kNotFound;
  ifo.read_failed = false;
  ifo.from_backup = false;
  ifo.size = 0;
  DiscFile *file = open_disc_file(name, &ifo.open_failure);
  if (file == nullptr)
    return;
  const size_t wanted =
      static_cast<size_t>(std::min<uint64_t>(disc_file_size(file), kMaxControlFileRead));
  if (wanted > ifo.capacity) {
    ifo.data = std::make_unique_for_overwrite<uint8_t[]>(wanted);
    ifo.capacity = wanted;
  }
  ifo.size = read_disc_file(file, ifo.data.get(), wanted);
  ifo.read_failed = disc_file_failed(file);
  close_disc_file(file);
  ifo.result = ifo.size < kMinControlFileSize ? LoadResult::kTooShort : LoadResult::kLoaded;
}

void load_control_file_or_backup(const char *name, const char *backup_name, LoadedIfo &ifo) {
  load_control_file(name, ifo);
  if (ifo.sound())
    return;
  LoadedIfo backup;
  load_control_file(backup_name, backup);
  if (!backup.sound())
    return;
  ifo = std::move(backup);
  ifo.from_backup = true;
}
