// SPDX-License-Identifier: MIT
// Opening the disc's files by the names the program builds (folder path, backslash, fixed name).
#pragma once

#include <cstddef>
#include <cstdio>

struct OpenFailure;

// Opens `name` for binary reading, or returns null when no such file opens,
// saying why in `failure` (see disc_file.h) when it is given.
// On Windows the name is used as it stands. Elsewhere each backslash that
// separates path components becomes '/', and the last component is looked up
// in its folder's listing (read once per run, see folder_listing.h): the
// exact name, else one that matches without regard to case, as on the disc's
// own file system (copies often hold video_ts.ifo). A directory opens but
// reads no bytes, so callers see a file that is too short; a FIFO, device or
// socket is not opened for reading at all.
std::FILE *open_input_file(const char *name, OpenFailure *failure = nullptr);

enum class InputPathKind { kNothing, kFolder, kFileOrDevice };
// What the folder path `folder` (as built: it ends in a backslash) names on
// this system: a folder, a regular file or block device, or neither.
InputPathKind input_path_kind(const char *folder);

// Looks up `leaf` in the folder `folder` (ending in a backslash) as
// open_input_file does, among its subfolders only when `want_folder`, and
// writes the entry's spelling to `found`. False when there is none.
bool find_input_entry(const char *folder, const char *leaf, bool want_folder, char *found,
                      size_t size);

// The path of this system for `folder` (ending in a backslash), without the
// final separator unless that is all there is. False when it does not fit.
bool native_folder_path(const char *folder, char *native, size_t size);
