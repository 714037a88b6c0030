#include "path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "code_page.h"
#include "last_error.h"

namespace win {
namespace {

// Position of the last character of path for which is_separator holds, or npos.
template <typename Pred>
std::size_t LastSeparator(std::string_view path, Pred is_separator) {
  std::size_t found = std::string_view::npos;
  for (std::size_t pos = 0; pos < path.size(); pos += CharLength(path, pos)) {
    if (CharLength(path, pos) == 1 && is_separator(path[pos])) found = pos;
  }
  return found;
}

bool IsSeparatorOrDrive(char c) { return IsPathSeparator(c) || c == ':'; }

unsigned ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

void SetErrnoError(int error, const std::string& what) {
  SetLastError(ErrorFromErrno(error), what + ": " + std::strerror(error));
}

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string ToSystemPath(std::string_view ansi_path) {
  std::string slashed(ansi_path);
  for (std::size_t pos = 0; pos < slashed.size(); pos += CharLength(slashed, pos)) {
    if (slashed[pos] == '\\') slashed[pos] = '/';
  }
  return AnsiToUtf8(slashed);
}

std::string FromSystemPath(std::string_view system_path) { return Utf8ToAnsi(system_path); }

std::string PathJoin(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::size_t last = LastSeparator(dir, IsPathSeparator);
  bool ends_with_separator = last != std::string_view::npos && last == dir.size() - 1;
  while (!name.empty() && IsPathSeparator(name.front())) name.remove_prefix(1);
  std::string joined(dir);
  if (!ends_with_separator) joined += kPathSeparator;
  joined += name;
  return joined;
}

std::string ExtractFilePath(std::string_view path) {
  std::size_t last = LastSeparator(path, IsSeparatorOrDrive);
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string ExtractFileName(std::string_view path) {
  std::size_t last = LastSeparator(path, IsSeparatorOrDrive);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool FileExists(std::string_view ansi_path) {
  struct stat st {};
  return ::stat(ToSystemPath(ansi_path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view ansi_path) {
  struct stat st {};
  return ::stat(ToSystemPath(ansi_path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view ansi_path) {
  if (::unlink(ToSystemPath(ansi_path).c_str()) != 0) {
    SetErrnoError(errno, "cannot delete " + ToSystemPath(ansi_path));
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

namespace {

// Writes a new file beside target through fill (which returns 0 or an errno
// value) and moves it into place: the target is always either the old file or
// the whole new one. The temporary file lies in the target's folder, so the
// move stays on one file system.
bool ReplaceFile(const std::string& target, bool fail_if_exists,
                 const std::function<int(int fd)>& fill, const std::string& what) {
  if (fail_if_exists && ::access(target.c_str(), F_OK) == 0) {
    SetLastError(ERROR_FILE_EXISTS, target + " exists");
    return false;
  }
  std::string temp = target + ".XXXXXX";
  FileDescriptor file(::mkstemp(temp.data()));
  if (file.get() < 0) {
    SetErrnoError(errno, "cannot create a file beside " + target);
    return false;
  }
  int error = fill(file.get());
  if (error == 0) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(file.get(), 0666 & ~mask) != 0) error = errno;
  }
  if (error == 0 && !file.Close()) error = errno;
  if (error == 0) {
    // With fail_if_exists, link() refuses an existing target atomically;
    // otherwise rename() replaces it.
    int rc = fail_if_exists ? ::link(temp.c_str(), target.c_str())
                            : ::rename(temp.c_str(), target.c_str());
    if (rc != 0) error = errno;
    if (fail_if_exists) ::unlink(temp.c_str());
  }
  if (error != 0) {
    ::unlink(temp.c_str());
    SetErrnoError(error, what);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace

bool CopyFile(std::string_view from_ansi, std::string_view to_ansi, bool fail_if_exists) {
  const std::string from = ToSystemPath(from_ansi);
  const std::string to = ToSystemPath(to_ansi);
  FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) {
    SetErrnoError(errno, "cannot open " + from);
    return false;
  }
  struct stat st {};
  if (::fstat(source.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED, from + " is not a file");
    return false;
  }
  auto copy = [&](int target) {
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = ::read(source.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) return 0;
      if (!WriteAll(target, buffer, static_cast<std::size_t>(n))) return errno ? errno : EIO;
    }
  };
  return ReplaceFile(to, fail_if_exists, copy, "cannot copy " + from + " to " + to);
}

bool ReadFile(std::string_view ansi_path, std::string& content) {
  const std::string path = ToSystemPath(ansi_path);
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (file.get() < 0 || ::fstat(file.get(), &st) != 0) {
    SetErrnoError(errno, "cannot open " + path);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED, path + " is not a file");
    return false;
  }
  std::string read;
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetErrnoError(errno, "cannot read " + path);
      return false;
    }
    if (n == 0) break;
    read.append(buffer, static_cast<std::size_t>(n));
  }
  content = std::move(read);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool WriteFile(std::string_view ansi_path, std::string_view content) {
  const std::string path = ToSystemPath(ansi_path);
  auto write = [&](int fd) {
    return WriteAll(fd, content.data(), content.size()) ? 0 : (errno ? errno : EIO);
  };
  return ReplaceFile(path, false, write, "cannot write " + path);
}

}  // namespace win
