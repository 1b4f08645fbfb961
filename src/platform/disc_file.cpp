// SPDX-License-Identifier: MIT
// "A file of the disc": one open/read/close for files in folders and files in a UDF image.
#include "platform/disc_file.h"

#include "platform/folder_listing.h"
#include "platform/input_file.h"
#include "platform/name_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

struct ImageFile;

struct DiscFile {
  bool in_use;
  bool failed;            // a read has stopped before the end of the file
  std::FILE *folder_file; // a file in a folder, or
  ImageFile *image_file;  // a file in the image
  uint64_t position;      // bytes read so far
  bool faulty;            // reads fail from fault_offset on
  uint64_t fault_offset;
};

namespace {

// The walk holds at most a control file and its VOB open at once.
DiscFile open_files[4];
bool image_in_use = false;
char image_prefix[260];

char fault_leaf[32] = "";
uint64_t fault_offset = 0;

DiscFile *free_slot() {
  for (DiscFile &slot : open_files)
    if (!slot.in_use)
      return &slot;
  return nullptr;
}

// The component of `name` after its last backslash.
const char *own_name(const char *name) {
  const char *slash = std::strrchr(name, '\\');
  return slash != nullptr ? slash + 1 : name;
}

} // namespace

DiscFile *open_disc_file(const char *name, OpenFailure *failure) {
  if (failure != nullptr)
    *failure = OpenFailure{};
  DiscFile *file = free_slot();
  if (file == nullptr || std::strlen(name) >= sizeof image_prefix)
    return nullptr;
  *file = DiscFile{};
  if (image_in_use) {
#ifdef NAVLIST_HAVE_UDFREAD
    const size_t prefix = std::strlen(image_prefix);
    if (std::strncmp(name, image_prefix, prefix) == 0)
      file->image_file = open_image_file(name + prefix);
#endif
    if (file->image_file == nullptr)
      return nullptr;
  } else {
    file->folder_file = open_input_file(name, failure);
    if (file->folder_file == nullptr)
      return nullptr;
  }
  file->faulty = fault_leaf[0] != '\0' && equal_ignoring_case(own_name(name), fault_leaf);
  file->fault_offset = fault_offset;
  file->in_use = true;
  return file;
}

uint64_t disc_file_size(const DiscFile *file) {
#ifdef NAVLIST_HAVE_UDFREAD
  if (file->image_file != nullptr)
    return image_file_size(file->image_file);
#endif
  if (file->folder_file == nullptr)
    return 0;
#ifdef _WIN32
  struct _stat64 info;
  if (_fstat64(_fileno(file->folder_file), &info) != 0 || (info.st_mode & _S_IFREG) == 0)
    return 0;
#else
  struct stat info;
  if (fstat(fileno(file->folder_file), &info) != 0 || !S_ISREG(info.st_mode))
    return 0;
#endif
  return static_cast<uint64_t>(info.st_size);
}

size_t read_disc_file(DiscFile *file, void *buffer, size_t size) {
  if (file->faulty &&
      (file->position >= file->fault_offset || size > file->fault_offset - file->position)) {
    size = file->position < file->fault_offset ? file->fault_offset - file->position : 0;
    file->failed = true;
  }
  size_t got = 0;
  if (file->folder_file != nullptr) {
    got = std::fread(buffer, 1, size, file->folder_file);
  } else {
#ifdef NAVLIST_HAVE_UDFREAD
    bool failed = false;
    got = read_image_file(file->image_file, buffer, size, &failed);
    file->failed = file->failed || failed;
#endif
  }
  file->position += got;
  return got;
}

bool disc_file_failed(const DiscFile *file) {
  return file->failed;
}

void close_disc_file(DiscFile *file) {
  if (file->folder_file != nullptr)
    std::fclose(file->folder_file);
#ifdef NAVLIST_HAVE_UDFREAD
  if (file->image_file != nullptr)
    close_image_file(file->image_file);
#endif
  *file = DiscFile{};
}

void use_disc_folders() {
  for (DiscFile &slot : open_files)
    if (slot.in_use)
      close_disc_file(&slot);
#ifdef NAVLIST_HAVE_UDFREAD
  close_udf_image();
#endif
#ifndef _WIN32
  forget_folder_listings();
#endif
  image_in_use = false;
  image_prefix[0] = '\0';
}

void fail_disc_reads_from(const char *leaf, uint64_t offset) {
  std::snprintf(fault_leaf, sizeof fault_leaf, "%s", leaf);
  fault_offset = offset;
}

#ifdef NAVLIST_HAVE_UDFREAD

namespace {

ImageOpenResult begin_image(const ImageOpenResult &result, const char *prefix) {
  image_in_use = result.status == ImageStatus::kOpened;
  if (image_in_use)
    std::snprintf(image_prefix, sizeof image_prefix, "%s", prefix);
  return result;
}

} // namespace

ImageOpenResult use_disc_image(const char *path) {
  use_disc_folders();
  char native[sizeof image_prefix];
  if (!native_folder_path(path, native, sizeof native))
    return ImageOpenResult{ImageStatus::kCannotRead, ENAMETOOLONG, {}};
  return begin_image(open_udf_image(native), path);
}

ImageOpenResult use_disc_image_in_memory(const uint8_t *data, size_t size, const char *prefix) {
  use_disc_folders();
  return begin_image(open_udf_image_in_memory(data, size), prefix);
}

#endif
