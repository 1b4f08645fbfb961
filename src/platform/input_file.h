// SPDX-License-Identifier: MIT
// Opening the disc's files by the names the program builds (folder path, backslash, fixed name).
#pragma once

#include <cstdio>

// Opens `name` for binary reading, or returns null when no such file opens.
// On Windows the name is used as it stands. Elsewhere each backslash that
// separates path components becomes '/', and when no file has the exact
// name, the last component is matched without regard to case within its
// folder, as on the disc's own file system (copies often hold video_ts.ifo).
// A directory opens but reads no bytes, so callers see a file that is too
// short.
std::FILE *open_input_file(const char *name);
