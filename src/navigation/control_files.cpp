// SPDX-License-Identifier: MIT
// The disc's control files for one run, each read once and kept while they fit a budget.
#include "navigation/control_files.h"

#include <cstdio>

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
    files_[scratch_].ifo.data.reset();
    scratch_ = -1;
  }
  LoadedIfo ifo = load_control_file(name(title_set).c_str());
  // A file read again is told its first read failure; should it no longer
  // load (the disc changed under the run), that is believed instead, so that
  // no walk reads a header the bytes do not hold.
  if (entry.read)
    ifo.read_failed = ifo.read_failed || entry.ifo.read_failed;
  entry.ifo = std::move(ifo);
  entry.read = true;
  if (entry.ifo.result != LoadResult::kLoaded)
    return entry.ifo;
  const size_t size = entry.ifo.size;
  if (keep_ && size <= kKeepBudget / 4 && size <= kKeepBudget - kept_bytes_) {
    entry.kept = true;
    kept_bytes_ += size;
  } else {
    scratch_ = static_cast<int>(title_set);
  }
  return entry.ifo;
}

} // namespace navigation
