// SPDX-License-Identifier: MIT
// The <Path> argument: its normalized form, and which of its three forms it takes (a folder of the
// disc, the folder above it, or an image).
#pragma once

#include <string>

inline constexpr unsigned kPathBufferSize = 260;
// The walk appends 12 characters (VTS_01_0.VOB and the like) to the path,
// and every name must fit a 260-byte buffer with its terminator.
inline constexpr unsigned kMaxNormalizedPathLength = 247;

// Makes a path end in a backslash, in place; the buffer must have room for
// one more character.
void normalize_path(char *path);
// Length of `path` once normalized.
unsigned normalized_path_length(const char *path);

// Returned by select_disc when the walk can run.
inline constexpr int kDiscSelected = -1;

// Looks at what `path` names and prepares the disc's files for the walk:
// - a folder that holds VIDEO_TS.IFO, or any other path: the folder itself;
// - a folder that holds none but has a VIDEO_TS subfolder (any case) that
//   does: that subfolder, as if the user had named it;
// - a regular file or block device: the VIDEO_TS folder of the UDF image in it.
// Writes to `normalized` (kPathBufferSize bytes) the path from which the walk
// builds every file name, ending in a backslash. Returns kDiscSelected, or
// the exit status with `message` (a line of the report, without its newline)
// saying why nothing can be walked.
int select_disc(const char *path, char *normalized, std::string *message);
