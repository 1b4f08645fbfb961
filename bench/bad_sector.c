// SPDX-License-Identifier: MIT
/* An LD_PRELOAD shim for bench/diff_reports.sh: reads of one file fail with EIO from a byte offset
 * on, as reads of a disc with a bad sector there do. Only files opened with open() (disc images,
 * which navlist reads with pread) are affected.
 *   NAVLIST_BAD_FILE=<path suffix>  NAVLIST_BAD_FROM=<byte offset>
 * Build: cc -shared -fPIC -o bad_sector.so bad_sector.c -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static int bad_fd = -1;

int open(const char *path, int flags, ...) {
  static int (*real_open)(const char *, int, ...);
  if (!real_open)
    real_open = (int (*)(const char *, int, ...))dlsym(RTLD_NEXT, "open");
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list args;
    va_start(args, flags);
    mode = va_arg(args, mode_t);
    va_end(args);
  }
  const int fd = real_open(path, flags, mode);
  const char *want = getenv("NAVLIST_BAD_FILE");
  if (fd >= 0 && want) {
    const size_t length = strlen(path), wanted = strlen(want);
    if (length >= wanted && strcmp(path + length - wanted, want) == 0)
      bad_fd = fd;
  }
  return fd;
}

ssize_t pread(int fd, void *buffer, size_t count, off_t offset) {
  static ssize_t (*real_pread)(int, void *, size_t, off_t);
  if (!real_pread)
    real_pread = (ssize_t(*)(int, void *, size_t, off_t))dlsym(RTLD_NEXT, "pread");
  if (fd == bad_fd) {
    const long long from = atoll(getenv("NAVLIST_BAD_FROM") ? getenv("NAVLIST_BAD_FROM") : "0");
    if (offset >= from) {
      errno = EIO;
      return -1;
    }
    if ((long long)offset + (long long)count > from)
      count = (size_t)(from - offset);
  }
  return real_pread(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void *buffer, size_t count, off_t offset) {
  return pread(fd, buffer, count, offset);
}
