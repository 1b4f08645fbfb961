// SPDX-License-Identifier: MIT
// A disc held as a UDF image (an image file, a block device, or bytes in memory), read with
// libudfread.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ImageStatus {
  kOpened,
  kCannotRead, // the file or device does not open or read; see `error`
  kNotUdf,     // no UDF file system is found in it
  kNoVideoTs,  // its root folder holds no VIDEO_TS folder
  kUnreadable, // `entry` cannot be read: damaged, or its structures loop or are too long
  kCutShort,   // `entry`, a file in VIDEO_TS, ends past the end of the image
};

struct ImageOpenResult {
  ImageStatus status;
  int error; // errno with kCannotRead
  // With kUnreadable and kCutShort: VIDEO_TS\NAME, VIDEO_TS, or (when the
  // volume and root folder cannot be read) "its UDF file system".
  char entry[64];
};

// Opens the image in the file or block device at `path` (a path of this
// system) and lists its VIDEO_TS folder, closing any image opened before.
// Every file of VIDEO_TS must open and lie inside the image; each is opened
// here, once, and its entry is not read again. The image's structures are
// read within a budget of blocks (udf_image.cpp): past it, or past 1500
// entries in VIDEO_TS, the image is damaged.
ImageOpenResult open_udf_image(const char *path);
// The same for an image held in memory, which must stay there until
// close_udf_image().
ImageOpenResult open_udf_image_in_memory(const uint8_t *data, size_t size);
void close_udf_image();

struct ImageFile;
// Opens the entry of the image's VIDEO_TS folder named `name`, looked up as in
// a folder (name_list.h); null when there is none. A subfolder opens as a
// file that reads no bytes, as it does from a folder.
ImageFile *open_image_file(const char *name);
// The file's length as its entry states it; 0 for a subfolder.
uint64_t image_file_size(const ImageFile *file);
// Reads up to `size` bytes, fewer only at the end of the file; sets *failed
// when the image could not give bytes that the file holds.
size_t read_image_file(ImageFile *file, void *buffer, size_t size, bool *failed);
void close_image_file(ImageFile *file);
