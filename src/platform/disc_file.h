// SPDX-License-Identifier: MIT
// "A file of the disc": the walk opens, reads and closes the disc's files here, whether the disc is
// a folder or a UDF image.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef NAVLIST_HAVE_UDFREAD
#include "platform/udf_image.h"
#endif

struct DiscFile;

// Why a name leads to no file that can be read. Only regular files are read
// (and folders, which read no bytes): a FIFO could block the run for ever,
// and a device could give bytes without end.
enum class OpenProblem : uint8_t {
  kMissing,
  kUnreadable, // the system refused it; `error` says why
  kFifo,
  kCharacterDevice,
  kBlockDevice,
  kSocket,
};
struct OpenFailure {
  OpenProblem problem = OpenProblem::kMissing;
  int error = 0; // errno, with kUnreadable
};

// Opens the file `name` (the disc's path as the program built it, then a
// fixed name such as VIDEO_TS.IFO), or returns null when the disc holds no
// such file that can be read, saying why in `failure` when it is given.
// Names are matched as on the disc's own file system: the exact name, else
// one that equals it without regard to case.
DiscFile *open_disc_file(const char *name, OpenFailure *failure = nullptr);
// The file's length as its file system states it; 0 for a folder.
uint64_t disc_file_size(const DiscFile *file);
// Reads up to `size` bytes, fewer only at the end of the file or where the
// disc cannot give the bytes that the file holds; disc_file_failed then says so.
size_t read_disc_file(DiscFile *file, void *buffer, size_t size);
// Whether a read of `file` has stopped before its end because the disc failed it.
bool disc_file_failed(const DiscFile *file);
void close_disc_file(DiscFile *file);

// Where the names lead. The default, and after use_disc_folders(): to files in
// folders, each folder listed once and its listing kept. use_disc_folders()
// forgets the listings and closes an image and any file left open; each run
// starts with it.
void use_disc_folders();

#ifdef NAVLIST_HAVE_UDFREAD
// From now on, names that start with `path` (as built, ending in a backslash)
// lead to the files of the VIDEO_TS folder of the image that `path` names.
ImageOpenResult use_disc_image(const char *path);
// The same for an image held in memory, for names that start with `prefix`.
ImageOpenResult use_disc_image_in_memory(const uint8_t *data, size_t size, const char *prefix);
#endif

// For tests: reads of the file whose own name is `leaf` (any case) fail from
// byte `offset` on, as reads of a disc with a bad sector there do, in every
// run until an empty `leaf` ends it.
void fail_disc_reads_from(const char *leaf, uint64_t offset);
