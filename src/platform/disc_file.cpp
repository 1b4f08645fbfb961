// SPDX-License-Identifier: MIT
// "A file of the disc": one open/read/close for files in folders and files in a UDF image.
#include "platform/disc_file.h"

#include "platform/console.h"
#include "platform/folder_listing.h"
#include "platform/input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

struct ImageFile;

struct DiscFile {
  bool in_use;
  bool failed;            // a read has failed (and was printed, unless printing is off)
  std::FILE *folder_file; // a file in a folder, or
  ImageFile *image_file;  // a file in the image
  char name[260];
};

namespace {

// The dumps hold at most a control file and its VOB open at once.
DiscFile open_files[4];
bool read_failure = false;
bool print_read_failures = true;
bool image_in_use = false;
char image_prefix[sizeof DiscFile::name];

DiscFile *free_slot() {
  for (DiscFile &slot : open_files)
    if (!slot.in_use)
      return &slot;
  return nullptr;
}

} // namespace

DiscFile *open_disc_file(const char *name) {
  DiscFile *file = free_slot();
  if (file == nullptr || std::strlen(name) >= sizeof file->name)
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
    file->folder_file = open_input_file(name);
    if (file->folder_file == nullptr)
      return nullptr;
  }
  std::memcpy(file->name, name, std::strlen(name) + 1);
  file->in_use = true;
  return file;
}

size_t read_disc_file(DiscFile *file, void *buffer, size_t size) {
  if (file->folder_file != nullptr)
    return std::fread(buffer, 1, size, file->folder_file);
  size_t got = 0;
  bool failed = false;
#ifdef NAVLIST_HAVE_UDFREAD
  got = read_image_file(file->image_file, buffer, size, &failed);
#endif
  if (failed && !file->failed) {
    file->failed = true;
    read_failure = true;
    if (print_read_failures)
      console_printf("%s cannot be read to its end.\n", file->name);
  }
  return got;
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
  read_failure = false;
}

bool disc_read_failure_reported() {
  return read_failure;
}

bool disc_file_failed(const DiscFile *file) {
  return file->failed;
}

void print_disc_read_failures(bool print) {
  print_read_failures = print;
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
