// SPDX-License-Identifier: MIT
// Opening the disc's files: the only place that knows how this system spells a path.
#include "platform/input_file.h"

#include "platform/disc_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <sys/stat.h>
#include <windows.h>
#else
#include "common/dbcs.h"
#include "platform/folder_listing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t kNameSize = 260;

std::FILE *fail(OpenFailure *failure, OpenProblem problem, int error = 0) {
  if (failure != nullptr)
    *failure = OpenFailure{problem, error};
  return nullptr;
}

// A name that the system will not open: missing when there is no such file,
// or when the path it is built on is no folder (a path that names no disc).
// Windows refuses a name that holds a character its file systems forbid
// ('?', '*', a control byte) with EINVAL: no such file can exist either.
std::FILE *refused(OpenFailure *failure, int error) {
#ifdef _WIN32
  const bool missing = error == ENOENT || error == ENOTDIR || error == EINVAL;
#else
  const bool missing = error == ENOENT || error == ENOTDIR;
#endif
  return fail(failure, missing ? OpenProblem::kMissing : OpenProblem::kUnreadable, error);
}

bool copy_name(const char *name, char *out, size_t size) {
  const size_t length = std::strlen(name);
  if (length >= size)
    return false;
  std::memcpy(out, name, length + 1);
  return true;
}

#ifndef _WIN32
// Turns the separating backslashes of `name` into '/' and says where the last
// component starts.
bool to_native(const char *name, char *native, size_t size, size_t *leaf_start) {
  if (!copy_name(name, native, size))
    return false;
  *leaf_start = 0;
  for (size_t i = 0; native[i] != '\0'; ++i) {
    if (native[i] == '\\' && dbcs_char_kind(name, static_cast<unsigned>(i)) != 2)
      native[i] = '/';
    if (native[i] == '/')
      *leaf_start = i + 1;
  }
  return true;
}

// The listing of the folder part of `native` (up to `leaf_start`).
const NameList *listing_of(const char *native, size_t leaf_start) {
  char folder[kNameSize];
  if (leaf_start == 0) {
    std::memcpy(folder, ".", 2);
  } else {
    std::memcpy(folder, native, leaf_start);
    folder[leaf_start] = '\0';
  }
  return folder_listing(folder);
}

// What a name leads to, when that is neither a regular file nor a folder.
std::FILE *not_a_file(OpenFailure *failure, mode_t mode) {
  const OpenProblem problem = S_ISFIFO(mode)  ? OpenProblem::kFifo
                              : S_ISCHR(mode) ? OpenProblem::kCharacterDevice
                              : S_ISBLK(mode) ? OpenProblem::kBlockDevice
                                              : OpenProblem::kSocket;
  return fail(failure, problem);
}

bool readable_kind(mode_t mode) {
  return S_ISREG(mode) || S_ISDIR(mode);
}

// Opens `native` when it is a regular file or a folder. It is looked at
// before it is opened, and opened without waiting for a writer, so that a
// FIFO never blocks the run; the open file is looked at again, in case the
// name changed in between.
std::FILE *open_readable(const char *native, OpenFailure *failure) {
  struct stat info;
  if (stat(native, &info) == 0 && !readable_kind(info.st_mode))
    return not_a_file(failure, info.st_mode);
  const int fd = open(native, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return refused(failure, errno);
  const bool known = fstat(fd, &info) == 0;
  const int error = errno;
  if (!known || !readable_kind(info.st_mode)) {
    close(fd);
    return known ? not_a_file(failure, info.st_mode) : refused(failure, error);
  }
  std::FILE *file = fdopen(fd, "rb");
  if (file == nullptr) {
    const int fdopen_error = errno;
    close(fd);
    return refused(failure, fdopen_error);
  }
  return file;
}
#endif

} // namespace

bool native_folder_path(const char *folder, char *native, size_t size) {
#ifdef _WIN32
  if (!copy_name(folder, native, size))
    return false;
  // "D:\" and "\" name a root and keep their separator.
  const size_t length = std::strlen(native);
  if (length >= 2 && native[length - 1] == '\\' && native[length - 2] != ':')
    native[length - 1] = '\0';
#else
  size_t leaf_start = 0;
  if (!to_native(folder, native, size, &leaf_start))
    return false;
  const size_t length = std::strlen(native);
  if (length >= 2 && native[length - 1] == '/')
    native[length - 1] = '\0';
#endif
  return true;
}

#ifdef _WIN32

std::FILE *open_input_file(const char *name, OpenFailure *failure) {
  if (std::FILE *file = std::fopen(name, "rb"))
    return file;
  const int error = errno;
  // A folder does not open as a file here, while elsewhere it opens and reads
  // no bytes; give the callers the same file that is too short.
  struct _stat info;
  if (_stat(name, &info) == 0 && (info.st_mode & _S_IFDIR) != 0)
    return std::fopen("NUL", "rb");
  return refused(failure, error);
}

InputPathKind input_path_kind(const char *folder) {
  char native[kNameSize];
  if (!native_folder_path(folder, native, sizeof native))
    return InputPathKind::kNothing;
  const DWORD attributes = GetFileAttributesA(native);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return InputPathKind::kNothing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? InputPathKind::kFolder
                                                      : InputPathKind::kFileOrDevice;
}

bool find_input_entry(const char *folder, const char *leaf, bool want_folder, char *found,
                      size_t size) {
  char name[kNameSize];
  if (std::strlen(folder) + std::strlen(leaf) >= sizeof name)
    return false;
  std::strcpy(name, folder);
  std::strcat(name, leaf);
  // The entry as the folder spells it; the file system matches it ignoring case.
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA(name, &entry);
  if (search == INVALID_HANDLE_VALUE)
    return false;
  FindClose(search);
  if (want_folder && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return false;
  return copy_name(entry.cFileName, found, size);
}

#else

std::FILE *open_input_file(const char *name, OpenFailure *failure) {
  char native[kNameSize];
  size_t leaf_start = 0;
  if (!to_native(name, native, sizeof native, &leaf_start))
    return fail(failure, OpenProblem::kMissing);
  const NameList *listing = listing_of(native, leaf_start);
  // A folder that cannot be listed may still let a file of the exact name open.
  if (listing == nullptr)
    return open_readable(native, failure);
  const FolderEntry *entry = listing->find(native + leaf_start);
  if (entry == nullptr || leaf_start + entry->name.size() >= sizeof native)
    return fail(failure, OpenProblem::kMissing);
  std::memcpy(native + leaf_start, entry->name.c_str(), entry->name.size() + 1);
  return open_readable(native, failure);
}

InputPathKind input_path_kind(const char *folder) {
  char native[kNameSize];
  struct stat info;
  if (!native_folder_path(folder, native, sizeof native) || stat(native, &info) != 0)
    return InputPathKind::kNothing;
  if (S_ISDIR(info.st_mode))
    return InputPathKind::kFolder;
  if (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode))
    return InputPathKind::kFileOrDevice;
  return InputPathKind::kNothing;
}

bool find_input_entry(const char *folder, const char *leaf, bool want_folder, char *found,
                      size_t size) {
  char native[kNameSize];
  size_t leaf_start = 0;
  if (!to_native(folder, native, sizeof native, &leaf_start))
    return false;
  const NameList *listing = listing_of(native, leaf_start);
  const FolderEntry *entry = nullptr;
  if (listing != nullptr)
    entry = want_folder ? listing->find_folder(leaf) : listing->find(leaf);
  return entry != nullptr && copy_name(entry->name.c_str(), found, size);
}

#endif
