// The command line, path normalization and the order in which the two dumps run.
#include "driver/driver.h"

#include "common/dbcs.h"
#include "common/report.h"
#include "driver/disc_path.h"
#include "ifo/ifo_dump.h"
#include "menuvob/menu_vob_scan.h"
#include "platform/console.h"

#include <cstring>

char path_buffer[kPathBufferSize];

namespace {

struct RunSwitches {
  bool ifo = false;
  bool menu_vob = false;
  int path_index = 0; // 0: no path seen yet
};

bool equals_ignoring_case(const char *argument, const char *option) {
  for (;; ++argument, ++option) {
    char c = *argument;
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    if (c != *option)
      return false;
    if (c == '\0')
      return true;
  }
}

// Walks the arguments in order and stops at the first error, which it prints.
bool parse_arguments(int argc, char **argv, RunSwitches *run) {
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    if (argument[0] == '-') {
      if (equals_ignoring_case(argument, "-i")) {
        run->ifo = true;
      } else if (equals_ignoring_case(argument, "-v")) {
        run->menu_vob = true;
      } else {
        console_write_text("Invalid option.\n");
        return false;
      }
      continue;
    }
    if (run->path_index != 0) {
      console_write_text("Extra parameters.\n");
      return false;
    }
    run->path_index = i;
  }
  if (run->path_index == 0) {
    console_write_text("Path not Found.\n");
    return false;
  }
  return true;
}

// True when the last byte is a backslash that separates, not the trail byte
// of a double-byte character.
bool ends_in_separator(const char *path, size_t length) {
  const unsigned last = static_cast<unsigned>(length - 1);
  return path[last] == '\\' && dbcs_char_kind(path, last) != 2;
}

} // namespace

unsigned normalized_path_length(const char *path) {
  const size_t length = std::strlen(path);
  if (length == 0)
    return 1;
  if (length >= 0xFFFFFFF)
    return 0xFFFFFFF;
  return static_cast<unsigned>(ends_in_separator(path, length) ? length : length + 1);
}

void normalize_path(char *path) {
  const size_t length = std::strlen(path);
  if (length == 0) {
    std::strcpy(path, "\\");
    return;
  }
  if (ends_in_separator(path, length))
    return;
  path[length] = '\\';
  path[length + 1] = '\0';
}

int navlist_main(int argc, char **argv) {
  reset_input_problem();
  console_write_text("*** NAVLIST Ver 1.00 ***\n");
  if (argc <= 1) {
    console_write_text("Usage: NAVLIST [-I] [-V] <Path>\n"
                       "  -I : Dump *.ifo files.\n"
                       "  -V : Dump *.vob(menu) files.\n"
                       "<ex> : NAVLIST -I -V c:\\video_ts\n");
    return kExitNothingDumped;
  }
  RunSwitches run;
  if (!parse_arguments(argc, argv, &run))
    return kExitNothingDumped;
  if (!run.ifo && !run.menu_vob)
    run.ifo = run.menu_vob = true;

  if (const int status = select_disc(argv[run.path_index], path_buffer); status != kDiscSelected)
    return status;

  if (run.ifo)
    dump_ifo_files(path_buffer);
  if (run.menu_vob)
    dump_menu_vobs(path_buffer);
  return input_problem_reported() ? kExitInputProblem : kExitReportComplete;
}
