// SPDX-License-Identifier: MIT
// The disc's control files for one run, each read once and kept while they fit a budget.
#include "navigation/control_files.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace navigation {

std::string ControlFiles::own_name(unsigned title_set) {
  if (title_set == 0)
    return "VIDEO_TS.IFO";
  char name[24];
  std::snprintf(name, sizeof name, "VTS_%02u_0.IFO", title_set);
  return name;
}

std::string ControlFiles::name(unsigned title_set) const {
  return path_ + own_name(title_set);
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
  load_control_file(name(title_set).c_str(), scratch_memory_);
  // A file read again is told its first read failure; should it no longer
  // load (the disc changed under the run), that is believed instead, so that
  // no walk reads a header the bytes do not hold.
  const bool failed_before = entry.read && entry.ifo.read_failed;
  LoadedIfo &ifo = entry.ifo;
  ifo.result = scratch_memory_.result;
  ifo.open_failure = scratch_memory_.open_failure;
  ifo.read_failed = scratch_memory_.read_failed || failed_before;
  ifo.size = scratch_memory_.size;
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
