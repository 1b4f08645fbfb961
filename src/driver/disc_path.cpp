// SPDX-License-Identifier: MIT
// The <Path> argument: its normalized form, and which of its three forms it takes (a folder of the
// disc, the folder above it, or an image).
#include "driver/disc_path.h"

#include "common/dbcs.h"
#include "driver/exit_status.h"
#include "platform/disc_file.h"
#include "platform/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kControlFile[] = "VIDEO_TS.IFO";

int path_too_long(std::string *message) {
  *message = "Path too long.";
  return kExitNothingDumped;
}

// The message of an image that cannot be read; the exit status.
int image_refused(std::string *message, const char *format, ...)
    __attribute__((format(printf, 2, 3)));
int image_refused(std::string *message, const char *format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  message->assign(text, length < 0 ? 0 : std::min<size_t>(length, sizeof text - 1));
  return kExitInputProblem;
}

// A folder without VIDEO_TS.IFO whose VIDEO_TS subfolder holds it: the path
// becomes the subfolder's, spelt as the folder lists it, so that names print
// as they would had the user named it (rip/ gives rip/VIDEO_TS\). A subfolder
// that would make the path too long is refused before it is looked into.
int look_into_subfolder(const char *path, char *normalized, std::string *message) {
  char found[kPathBufferSize];
  if (find_input_entry(normalized, kControlFile, false, found, sizeof found))
    return kDiscSelected;
  if (!find_input_entry(normalized, "VIDEO_TS", true, found, sizeof found))
    return kDiscSelected;
  // A path that ends in '/' is kept as given (the normalized one adds a backslash to it).
  const size_t length = std::strlen(path);
  const bool ends_in_slash = length > 0 && path[length - 1] == '/';
  char subfolder[2 * kPathBufferSize];
  std::strcpy(subfolder, ends_in_slash ? path : normalized);
  std::strcat(subfolder, found);
  std::strcat(subfolder, "\\");
  if (std::strlen(subfolder) > kMaxNormalizedPathLength)
    return path_too_long(message);
  if (find_input_entry(subfolder, kControlFile, false, found, sizeof found))
    std::strcpy(normalized, subfolder);
  return kDiscSelected;
}

#ifdef NAVLIST_HAVE_UDFREAD
int open_image(const char *path, const char *normalized, std::string *message) {
  const ImageOpenResult image = use_disc_image(normalized);
  switch (image.status) {
  case ImageStatus::kOpened:
    break;
  case ImageStatus::kCannotRead:
    return image_refused(message, "Cannot read %s: %s.", path, std::strerror(image.error));
  case ImageStatus::kNotUdf:
    return image_refused(message, "%s is not a UDF disc image, or it is cut short.", path);
  case ImageStatus::kNoVideoTs:
    return image_refused(message, "%s holds no VIDEO_TS folder.", path);
  case ImageStatus::kUnreadable:
    return image_refused(message, "%s is cut short or damaged: %s cannot be read.", path,
                         image.entry);
  case ImageStatus::kCutShort:
    return image_refused(message, "%s is cut short: %s ends past the end of the image.", path,
                         image.entry);
  }
  return kDiscSelected;
}
#else
int open_image(const char *path, const char *, std::string *message) {
  return image_refused(message,
                       "%s is not a folder, and this build of navlist reads no disc images: "
                       "mount the image and name its drive.",
                       path);
}
#endif

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

int select_disc(const char *path, char *normalized, std::string *message) {
  use_disc_folders();
  if (normalized_path_length(path) > kMaxNormalizedPathLength)
    return path_too_long(message);
  std::strcpy(normalized, path);
  normalize_path(normalized);
  switch (input_path_kind(normalized)) {
  case InputPathKind::kFileOrDevice:
    return open_image(path, normalized, message);
  case InputPathKind::kFolder:
    return look_into_subfolder(path, normalized, message);
  case InputPathKind::kNothing:
    break;
  }
  return kDiscSelected;
}
