// SPDX-License-Identifier: MIT
// Opening the disc's files: the only place that knows how this system spells a path.
#include "platform/input_file.h"

#include <cstring>

#ifdef _WIN32
#include <sys/stat.h>
#else
#include "common/dbcs.h"

#include <filesystem>
#include <string>
#include <system_error>
#endif

#ifdef _WIN32

std::FILE *open_input_file(const char *name) {
  if (std::FILE *file = std::fopen(name, "rb"))
    return file;
  // A folder does not open as a file here, while elsewhere it opens and reads
  // no bytes; give the callers the same file that is too short.
  struct _stat info;
  if (_stat(name, &info) == 0 && (info.st_mode & _S_IFDIR) != 0)
    return std::fopen("NUL", "rb");
  return nullptr;
}

#else

namespace {

constexpr size_t kNameSize = 260;

bool equal_ignoring_case(const char *a, const char *b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z')
      ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z')
      cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb)
      return false;
    if (ca == '\0')
      return true;
  }
}

// Looks in `folder` for an entry whose name matches `leaf` without regard to
// case, and writes the first such name in byte order into `found`, so that a
// folder holding both spellings always gives the same answer.
bool find_leaf_ignoring_case(const char *folder, const char *leaf, char *found, size_t size) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  bool have = false;
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (!equal_ignoring_case(entry.c_str(), leaf) || entry.size() >= size)
      continue;
    if (!have || std::strcmp(entry.c_str(), found) < 0) {
      std::memcpy(found, entry.c_str(), entry.size() + 1);
      have = true;
    }
  }
  return have;
}

} // namespace

std::FILE *open_input_file(const char *name) {
  char native[kNameSize];
  const size_t length = std::strlen(name);
  if (length >= kNameSize)
    return nullptr;
  std::memcpy(native, name, length + 1);
  size_t leaf_start = 0;
  for (size_t i = 0; i < length; ++i) {
    if (native[i] == '\\' && dbcs_char_kind(name, static_cast<unsigned>(i)) != 2)
      native[i] = '/';
    if (native[i] == '/')
      leaf_start = i + 1;
  }
  if (std::FILE *file = std::fopen(native, "rb"))
    return file;

  char folder[kNameSize];
  if (leaf_start == 0) {
    std::memcpy(folder, ".", 2);
  } else {
    std::memcpy(folder, native, leaf_start);
    folder[leaf_start] = '\0';
  }
  char leaf[kNameSize];
  if (!find_leaf_ignoring_case(folder, native + leaf_start, leaf, sizeof leaf))
    return nullptr;
  if (leaf_start + std::strlen(leaf) >= kNameSize)
    return nullptr;
  std::memcpy(native + leaf_start, leaf, std::strlen(leaf) + 1);
  return std::fopen(native, "rb");
}

#endif
