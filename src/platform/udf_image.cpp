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
#include <unordered_map>
#include <vector>

#include <udfread/blockinput.h>
#include <udfread/udfread.h>

struct ImageFile {
  UDFFILE *file;     // the entry's one handle; null for a subfolder, which reads nothing
  uint64_t position; // of this opening of it
};

namespace {

constexpr uint32_t kBlockSize = UDF_BLOCK_SIZE;

// libudfread follows the image's own pointers between its structures (volume
// descriptors, file set, folders, file entries and their extents) without
// looking where they lead: a descriptor that points at itself makes it read
// for ever, and a stated length makes it read that much. While it reads
// structures, every block counts against a budget that the largest real disc
// stays well within (a VIDEO_TS folder of 99 full title sets takes under
// 1300 blocks), and a block read more often than a hard link or a backup
// copy would ask is a loop. Once either limit is passed every such read is
// refused, and the image is damaged.
constexpr uint32_t kStructureBlockBudget = (4 << 20) / kBlockSize;
constexpr uint8_t kMaxReadsOfBlock = 4;
// A VIDEO_TS folder holds at most 3 + 99 x 12 files; a listing far longer is damage.
constexpr size_t kMaxVideoTsEntries = 1500;

// The image as libudfread sees it: whole 2048-byte blocks, none past the end.
// A partial last block counts as missing.
struct BlockSource {
  udfread_block_input input{}; // first, so that libudfread's pointer is ours
  int fd = -1;
  bool in_memory = false;
  const uint8_t *memory = nullptr;
  uint32_t blocks = 0;
  int read_error = 0;      // errno of the first failed read
  bool structures = false; // libudfread is reading structures, not a file's bytes
  bool budget_spent = false;
  uint32_t structure_blocks = 0;
  std::unordered_map<uint32_t, uint8_t> reads_of_block;
};

struct Image {
  BlockSource source;
  udfread *udf = nullptr;
  UDFDIR *root = nullptr;
  UDFDIR *video_ts = nullptr;
  NameList names;
  // Each regular file of VIDEO_TS, by its place in names.entries(), opened
  // once when the image is, so that no entry is read twice in a run.
  std::vector<UDFFILE *> files;
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

// While libudfread reads the image's structures, for one call into it.
class StructureReads : QuietLibrary {
public:
  StructureReads() { image.source.structures = true; }
  ~StructureReads() { image.source.structures = false; }
  StructureReads(const StructureReads &) = delete;
  StructureReads &operator=(const StructureReads &) = delete;
};

// Counts a read of structure blocks; false, refusing it, once the budget is
// spent or a block has been read too often.
bool charge_structure_read(BlockSource &source, uint32_t lba, uint32_t count) {
  if (source.budget_spent || count > kStructureBlockBudget - source.structure_blocks) {
    source.budget_spent = true;
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (++source.reads_of_block[lba + i] > kMaxReadsOfBlock) {
      source.budget_spent = true;
      return false;
    }
  }
  source.structure_blocks += count;
  return true;
}

int read_blocks(udfread_block_input *input, uint32_t lba, void *buffer, uint32_t count, int) {
  BlockSource &source = *reinterpret_cast<BlockSource *>(input);
  if (lba >= source.blocks)
    return 0;
  if (count > source.blocks - lba)
    count = source.blocks - lba;
  if (source.structures && !charge_structure_read(source, lba, count))
    return 0;
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

// The name of a file of VIDEO_TS for a message; the name is the image's, so
// it is shown as printable text only.
ImageOpenResult file_result(ImageStatus status, const std::string &name) {
  char shown[64];
  std::snprintf(shown, sizeof shown, "VIDEO_TS\\%s", name.c_str());
  for (char &c : shown)
    if (c != '\0' && (c < 0x20 || c > 0x7E))
      c = '?';
  return result(status, shown);
}

// Opens every regular file of VIDEO_TS, each once for the whole run: each
// must open, be no larger than the image, and have its first and last blocks
// inside it, since an image cut short loses the end of some file. (A block in
// the middle that lies past the end is found when it is read.)
ImageOpenResult open_files() {
  const std::vector<FolderEntry> &entries = image.names.entries();
  image.files.assign(entries.size(), nullptr);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].is_folder)
      continue;
    {
      StructureReads reads;
      image.files[i] = udfread_file_openat(image.video_ts, entries[i].name.c_str());
    }
    if (image.files[i] == nullptr || image.source.budget_spent)
      return file_result(ImageStatus::kUnreadable, entries[i].name);
    const ImageStatus status = place_file(image.files[i]);
    if (status != ImageStatus::kOpened)
      return file_result(status, entries[i].name);
  }
  return result(ImageStatus::kOpened);
}

ImageOpenResult open_source() {
  QuietLibrary quiet;
  image.source.input.read = read_blocks;
  image.source.input.size = block_count;
  image.source.input.close = close_source;
  bool opened = false;
  {
    StructureReads reads;
    image.udf = udfread_init();
    opened = image.udf != nullptr && udfread_open_input(image.udf, &image.source.input) >= 0;
    if (opened)
      image.root = udfread_opendir(image.udf, "/");
  }
  if (!opened && image.source.read_error != 0) {
    ImageOpenResult r = result(ImageStatus::kCannotRead);
    r.error = image.source.read_error;
    return r;
  }
  if (image.source.budget_spent)
    return result(ImageStatus::kUnreadable, "its UDF file system");
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
  {
    StructureReads reads;
    image.video_ts = udfread_opendir_at(image.root, folder->name.c_str());
  }
  if (image.video_ts == nullptr || image.source.budget_spent)
    return result(ImageStatus::kUnreadable, "VIDEO_TS");
  size_t listed = 0;
  while (udfread_readdir(image.video_ts, &entry) != nullptr) {
    if (++listed > kMaxVideoTsEntries)
      return result(ImageStatus::kUnreadable, "VIDEO_TS");
    if (std::strcmp(entry.d_name, "..") != 0)
      image.names.add(entry.d_name, entry.d_type == UDF_DT_DIR);
  }
  image.names.finish();
  return open_files();
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

namespace {

// The files of an image stay open for the whole run; whatever image is open
// when the program ends is closed then.
struct CloseAtExit {
  ~CloseAtExit() { close_udf_image(); }
} close_at_exit;

} // namespace

void close_udf_image() {
  QuietLibrary quiet;
  for (UDFFILE *file : image.files)
    if (file != nullptr)
      udfread_file_close(file);
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
  return new ImageFile{image.files[entry - image.names.entries().data()], 0};
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
  // Another opening of the same entry may have moved the handle.
  const auto position = static_cast<int64_t>(file->position);
  if (udfread_file_tell(file->file) != position)
    udfread_file_seek(file->file, position, UDF_SEEK_SET);
  // libudfread reads across extents itself, and stops short only at the end
  // of the file or where the image fails it.
  const ssize_t n = udfread_file_read(file->file, buffer, size);
  const size_t got = n > 0 ? static_cast<size_t>(n) : 0;
  file->position += got;
  if (got < size && file->position < image_file_size(file))
    *failed = true;
  return got;
}

void close_image_file(ImageFile *file) {
  delete file;
}
