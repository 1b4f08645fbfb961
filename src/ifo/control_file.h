// SPDX-License-Identifier: MIT
// Loading one control file (VIDEO_TS.IFO or VTS_nn_0.IFO) whole into memory.
#pragma once

#include "common/bytes.h"
#include "platform/disc_file.h"

#include <cstdint>
#include <memory>

// Every table a walk follows lies in the first 16 MiB of a control file; no
// more of it is read.
inline constexpr size_t kMaxControlFileRead = 16 * 1024 * 1024;

enum class LoadResult : uint8_t { kLoaded, kNotFound, kTooShort };

struct LoadedIfo {
  LoadResult result = LoadResult::kNotFound;
  // With kNotFound: why the name leads to no file that can be read.
  OpenFailure open_failure;
  // The disc stopped giving the file's bytes before its end (a bad sector);
  // `size` bytes were read, the rest is missing.
  bool read_failed = false;
  // The bytes are those of the file's backup (VIDEO_TS.BUP, VTS_nn_0.BUP),
  // read because the file itself could not be read whole.
  bool from_backup = false;
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  size_t capacity = 0; // of `data`

  IfoBytes bytes() const { return IfoBytes{data.get(), size}; }
  // Loaded, and read to its end.
  bool sound() const { return result == LoadResult::kLoaded && !read_failed; }
};

// Opens the control file `name`, reads up to kMaxControlFileRead bytes of it
// into `ifo` (into its memory when that is large enough, else into memory of
// the file's size) and closes it: kTooShort when fewer than
// kMinControlFileSize bytes were read.
void load_control_file(const char *name, LoadedIfo &ifo);
// The same, but where `name` is missing, too short or cannot be read to its
// end and its backup `backup_name` (the same layout) is sound, loads the
// backup instead and says so (from_backup). When both are bad, `ifo` tells
// what `name` gave.
void load_control_file_or_backup(const char *name, const char *backup_name, LoadedIfo &ifo);
