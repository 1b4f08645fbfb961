// SPDX-License-Identifier: MIT
// Which of its three forms the <Path> argument takes: a folder of the disc, the folder above it, or
// an image.
#pragma once

// Returned by select_disc when the dumps can run.
inline constexpr int kDiscSelected = -1;

// Looks at what `path` names and prepares the disc's files for the dumps:
// - a folder that holds VIDEO_TS.IFO, or any other path: the folder itself;
// - a folder that holds none but has a VIDEO_TS subfolder (any case) that
//   does: that subfolder, as if the user had named it;
// - a regular file or block device: the VIDEO_TS folder of the UDF image in it.
// Writes to `normalized` (kPathBufferSize bytes) the path from which the dumps
// build every file name, ending in a backslash. Returns kDiscSelected, or,
// after printing why nothing can be dumped, the exit status.
int select_disc(const char *path, char *normalized);
