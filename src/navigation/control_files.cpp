// SPDX-License-Identifier: MIT
// The disc's control files for one run, each read once and kept while they fit a budget.
#include "navigation/control_files.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace navigation {

std::string ControlFiles::own_name(unsigned title_set, bool backup) {
  const char *extension = backup ? "BUP" : "IFO";
  char name[24];
  if (title_set == 0)
    std::snprintf(name, sizeof name, "VIDEO_TS.%s", extension);
  else
    std::snprintf(name, sizeof name, "VTS_%02u_0.%s", title_set, extension);
  return name;
}

std::string ControlFiles::name(unsigned title_set, bool backup) const {
  return path_ + own_name(title_set, backup);
}

unsigned ControlFiles::stated_title_sets() {
  if (!files_[0].read)
    take(0);
  return stated_;
}

bool ControlFiles::has_title_set(unsigned title_set) {
  if (title_set == 0 || title_set > kMaxTitleSets)
    return false;
  if (const unsigned stated = stated_title_sets(); stated != 0)
    return title_set <= stated;
  // What a file's first read found is remembered: each file is read once here.
  for (unsigned n = 1; n <= title_set; ++n)
    if ((files_[n].read ? files_[n].ifo.result : take(n).result) != LoadResult::kLoaded)
      return false;
  return true;
}

const LoadedIfo &ControlFiles::take(unsigned title_set) {
  Entry &entry = files_[title_set];
  // Only a file that loaded has bytes worth reading again.
  if (entry.read && (entry.kept || entry.ifo.result != LoadResult::kLoaded ||
                     scratch_ == static_cast<int>(title_set)))
    return entry.ifo;
  if (scratch_ >= 0) {
    std::swap(files_[scratch_].ifo.data, scratch_memory_.data);
    std::swap(files_[scratch_].ifo.capacity, scratch_memory_.capacity);
    scratch_ = -1;
  }
  // A file read again comes from where its first read came from.
  if (!entry.read)
    load_control_file_or_backup(name(title_set).c_str(), name(title_set, true).c_str(),
                                scratch_memory_);
  else
    load_control_file(name(title_set, entry.ifo.from_backup).c_str(), scratch_memory_);
  // A file read again is told its first read failure; should it no longer
  // load (the disc changed under the run), that is believed instead, so that
  // no walk reads a header the bytes do not hold.
  const bool failed_before = entry.read && entry.ifo.read_failed;
  LoadedIfo &ifo = entry.ifo;
  ifo.result = scratch_memory_.result;
  ifo.open_failure = scratch_memory_.open_failure;
  ifo.read_failed = scratch_memory_.read_failed || failed_before;
  ifo.size = scratch_memory_.size;
  if (!entry.read) {
    ifo.from_backup = scratch_memory_.from_backup;
    if (title_set == 0 && ifo.result == LoadResult::kLoaded) {
      const unsigned stated = get_be16(scratch_memory_.data.get() + kVmgiTitleSetCount);
      stated_ = stated <= kMaxTitleSets ? stated : 0;
    }
  }
  entry.read = true;
  const size_t size = ifo.size;
  if (ifo.result == LoadResult::kLoaded && keep_ && size <= kKeepBudget / 4 &&
      size <= kKeepBudget - kept_bytes_) {
    // A copy of its own size, so that the scratch memory serves the next file.
    ifo.data = std::make_unique_for_overwrite<uint8_t[]>(size);
    std::copy_n(scratch_memory_.data.get(), size, ifo.data.get());
    ifo.capacity = size;
    entry.kept = true;
    kept_bytes_ += size;
    return ifo;
  }
  std::swap(ifo.data, scratch_memory_.data);
  std::swap(ifo.capacity, scratch_memory_.capacity);
  scratch_ = static_cast<int>(title_set);
  return ifo;
}

} // namespace navigation
