// SPDX-License-Identifier: MIT
// A disc held as a UDF image: the block input that libudfread reads through, the VIDEO_TS listing,
// the files.
#include "platform/udf_image.h"

#include "platform/name_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <udfread/blockinput.h>
#include <udfread/udfread.h>

struct ImageFile {
  UDFFILE *file; // null for a subfolder, which reads nothing
};

namespace {

constexpr uint32_t kBlockSize = UDF_BLOCK_SIZE;

// The image as libudfread sees it: whole 2048-byte blocks, none past the end.
// A partial last block counts as missing.
struct BlockSource {
  udfread_block_input input{}; // first, so that libudfread's pointer is ours
  int fd = -1;
  bool in_memory = false;
  const uint8_t *memory = nullptr;
  uint32_t blocks = 0;
  int read_error = 0; // errno of the first failed read
};

struct Image {
  BlockSource source;
  udfread *udf = nullptr;
  UDFDIR *root = nullptr;
  UDFDIR *video_ts = nullptr;
  NameList names;
};

Image image;

// libudfread writes its complaints about damaged images to stderr. navlist
// prints its own one-line message and writes nothing to stderr, so while
// libudfread runs, stderr (a plain variable in glibc) points at a stream that
// discards them.
ssize_t discard(void *, const char *, size_t size) {
  return static_cast<ssize_t>(size);
}

class QuietLibrary {
public:
  QuietLibrary() : saved_(stderr) {
    static std::FILE *sink = [] {
      cookie_io_functions_t io{};
      io.write = discard;
      return fopencookie(nullptr, "w", io);
    }();
    if (sink != nullptr)
      stderr = sink;
  }
  ~QuietLibrary() { stderr = saved_; }
  QuietLibrary(const QuietLibrary &) = delete;
  QuietLibrary &operator=(const QuietLibrary &) = delete;

private:
  std::FILE *saved_;
};

int read_blocks(udfread_block_input *input, uint32_t lba, void *buffer, uint32_t count, int) {
  BlockSource &source = *reinterpret_cast<BlockSource *>(input);
  if (lba >= source.blocks)
    return 0;
  if (count > source.blocks - lba)
    count = source.blocks - lba;
  if (source.in_memory) {
    std::memcpy(buffer, source.memory + uint64_t{lba} * kBlockSize, size_t{count} * kBlockSize);
    return static_cast<int>(count);
  }
  auto *bytes = static_cast<uint8_t *>(buffer);
  const size_t wanted = size_t{count} * kBlockSize;
  size_t got = 0;
  while (got < wanted) {
    const ssize_t n =
        pread(source.fd, bytes + got, wanted - got, static_cast<off_t>(lba) * kBlockSize + got);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      if (n < 0 && source.read_error == 0)
        source.read_error = errno;
      break;
    }
    got += static_cast<size_t>(n);
  }
  return static_cast<int>(got / kBlockSize);
}

uint32_t block_count(udfread_block_input *input) {
  return reinterpret_cast<BlockSource *>(input)->blocks;
}

int close_source(udfread_block_input *input) {
  BlockSource &source = *reinterpret_cast<BlockSource *>(input);
  if (source.fd >= 0)
    close(source.fd);
  source.fd = -1;
  return 0;
}

ImageOpenResult result(ImageStatus status, const char *entry = "") {
  ImageOpenResult r{status, 0, {}};
  std::snprintf(r.entry, sizeof r.entry, "%s", entry);
  return r;
}

// Where the file's bytes lie: kOpened when inside the image. libudfread gives
// block 0 for a block it cannot place; a file smaller than a block may be held
// in its entry, without a block of its own.
ImageStatus place_file(UDFFILE *file) {
  const int64_t size = udfread_file_size(file);
  if (size < 0)
    return ImageStatus::kUnreadable;
  if (static_cast<uint64_t>(size) > uint64_t{image.source.blocks} * kBlockSize)
    return ImageStatus::kCutShort;
  if (size < kBlockSize)
    return ImageStatus::kOpened;
  for (const uint32_t block : {0u, static_cast<uint32_t>((size - 1) / kBlockSize)}) {
    const uint32_t lba = udfread_file_lba(file, block);
    if (lba == 0)
      return ImageStatus::kUnreadable;
    if (lba >= image.source.blocks)
      return ImageStatus::kCutShort;
  }
  return ImageStatus::kOpened;
}

// Every regular file of VIDEO_TS must open, be no larger than the image, and
// have its first and last blocks inside it: an image cut short loses the end
// of some file. (A block in the middle that lies past the end is found when
// it is read.)
ImageOpenResult check_files() {
  for (const FolderEntry &entry : image.names.entries()) {
    if (entry.is_folder)
      continue;
    UDFFILE *file = udfread_file_openat(image.video_ts, entry.name.c_str());
    const ImageStatus status = file == nullptr ? ImageStatus::kUnreadable : place_file(file);
    if (file != nullptr)
      udfread_file_close(file);
    if (status == ImageStatus::kOpened)
      continue;
    // The name is the image's: shown as printable text only.
    char shown[64];
    std::snprintf(shown, sizeof shown, "VIDEO_TS\\%s", entry.name.c_str());
    for (char &c : shown)
      if (c != '\0' && (c < 0x20 || c > 0x7E))
        c = '?';
    return result(status, shown);
  }
  return result(ImageStatus::kOpened);
}

ImageOpenResult open_source() {
  QuietLibrary quiet;
  image.source.input.read = read_blocks;
  image.source.input.size = block_count;
  image.source.input.close = close_source;
  image.udf = udfread_init();
  if (image.udf == nullptr || udfread_open_input(image.udf, &image.source.input) < 0) {
    if (image.source.read_error != 0) {
      ImageOpenResult r = result(ImageStatus::kCannotRead);
      r.error = image.source.read_error;
      return r;
    }
    return result(ImageStatus::kNotUdf);
  }
  image.root = udfread_opendir(image.udf, "/");
  if (image.root == nullptr)
    return result(ImageStatus::kNotUdf);
  NameList root;
  udfread_dirent entry;
  while (udfread_readdir(image.root, &entry) != nullptr)
    root.add(entry.d_name, entry.d_type == UDF_DT_DIR);
  root.finish();
  const FolderEntry *folder = root.find_folder("VIDEO_TS");
  if (folder == nullptr)
    return result(ImageStatus::kNoVideoTs);
  image.video_ts = udfread_opendir_at(image.root, folder->name.c_str());
  if (image.video_ts == nullptr)
    return result(ImageStatus::kUnreadable, "VIDEO_TS");
  while (udfread_readdir(image.video_ts, &entry) != nullptr)
    if (std::strcmp(entry.d_name, "..") != 0)
      image.names.add(entry.d_name, entry.d_type == UDF_DT_DIR);
  image.names.finish();
  return check_files();
}

ImageOpenResult finish_open(ImageOpenResult r) {
  if (r.status != ImageStatus::kOpened)
    close_udf_image();
  return r;
}

} // namespace

ImageOpenResult open_udf_image(const char *path) {
  close_udf_image();
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  struct stat info;
  off_t size = -1;
  if (fd >= 0 && fstat(fd, &info) == 0)
    size = S_ISREG(info.st_mode) ? info.st_size : lseek(fd, 0, SEEK_END);
  if (size < 0) {
    ImageOpenResult r = result(ImageStatus::kCannotRead);
    r.error = errno;
    if (fd >= 0)
      close(fd);
    return r;
  }
  image.source.fd = fd;
  const uint64_t blocks = static_cast<uint64_t>(size) / kBlockSize;
  image.source.blocks = blocks > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(blocks);
  return finish_open(open_source());
}

ImageOpenResult open_udf_image_in_memory(const uint8_t *data, size_t size) {
  close_udf_image();
  image.source.in_memory = true;
  image.source.memory = data;
  const uint64_t blocks = size / kBlockSize;
  image.source.blocks = blocks > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(blocks);
  return finish_open(open_source());
}

void close_udf_image() {
  QuietLibrary quiet;
  if (image.video_ts != nullptr)
    udfread_closedir(image.video_ts);
  if (image.root != nullptr)
    udfread_closedir(image.root);
  if (image.udf != nullptr)
    udfread_close(image.udf);
  close_source(&image.source.input);
  image = Image{};
}

ImageFile *open_image_file(const char *name) {
  if (image.video_ts == nullptr)
    return nullptr;
  const FolderEntry *entry = image.names.find(name);
  if (entry == nullptr)
    return nullptr;
  UDFFILE *file = nullptr;
  if (!entry->is_folder) {
    QuietLibrary quiet;
    file = udfread_file_openat(image.video_ts, entry->name.c_str());
    if (file == nullptr)
      return nullptr;
  }
  return new ImageFile{file};
}

uint64_t image_file_size(const ImageFile *file) {
  if (file->file == nullptr)
    return 0;
  const int64_t size = udfread_file_size(file->file);
  return size > 0 ? static_cast<uint64_t>(size) : 0;
}

size_t read_image_file(ImageFile *file, void *buffer, size_t size, bool *failed) {
  if (file->file == nullptr)
    return 0;
  QuietLibrary quiet;
  // libudfread reads across extents itself, and stops short only at the end
  // of the file or where the image fails it.
  const ssize_t n = udfread_file_read(file->file, buffer, size);
  const size_t got = n > 0 ? static_cast<size_t>(n) : 0;
  if (got < size && udfread_file_tell(file->file) < udfread_file_size(file->file))
    *failed = true;
  return got;
}

void close_image_file(ImageFile *file) {
  if (file->file != nullptr) {
    QuietLibrary quiet;
    udfread_file_close(file->file);
  }
  delete file;
}
