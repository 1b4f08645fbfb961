// SPDX-License-Identifier: MIT
// "A file of the disc": the dumps open, read and close the disc's files here, whether the disc is a
// folder or a UDF image.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef NAVLIST_HAVE_UDFREAD
#include "platform/udf_image.h"
#endif

struct DiscFile;

// Opens the file `name` (the disc's path as the program built it, then a
// fixed name such as VIDEO_TS.IFO), or returns null when the disc holds no
// such file. Names are matched as on the disc's own file system: the exact
// name, else one that equals it without regard to case.
DiscFile *open_disc_file(const char *name);
// Reads up to `size` bytes, fewer only at the end of the file. When an image
// cannot give bytes that its file holds, prints "<name> cannot be read to its
// end." once for the file and returns what it could read.
size_t read_disc_file(DiscFile *file, void *buffer, size_t size);
void close_disc_file(DiscFile *file);

// Where the names lead. The default, and after use_disc_folders(): to files in
// folders, each folder listed once and its listing kept. use_disc_folders()
// forgets the listings, closes an image and any file left open, and clears
// the read failure record; each run starts with it.
void use_disc_folders();

#ifdef NAVLIST_HAVE_UDFREAD
// From now on, names that start with `path` (as built, ending in a backslash)
// lead to the files of the VIDEO_TS folder of the image that `path` names.
ImageOpenResult use_disc_image(const char *path);
// The same for an image held in memory, for names that start with `prefix`.
ImageOpenResult use_disc_image_in_memory(const uint8_t *data, size_t size, const char *prefix);
#endif

// Whether a read failure was met since the last use_disc_folders().
bool disc_read_failure_reported();
// Whether reading `file` has failed before its end.
bool disc_file_failed(const DiscFile *file);
// With false, read failures are recorded but not printed: the structured
// reports, whose output is one document, list them as problems instead.
void print_disc_read_failures(bool print);
