#include "report/pending_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "report/signal_cleanup.h"
#include "report/text_units.h"

namespace hf::report {

namespace {

// Eight letters and digits from the kernel's random source, or, should it fail, from the
// process id, the clock and a counter: a name another run will not pick at the same time.
std::string random_part() {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    static std::uint64_t counter = 0;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = (std::uint64_t(::getpid()) << 40) ^ std::uint64_t(now.tv_nsec) ^ (std::uint64_t(now.tv_sec) << 20) ^
           (++counter * 0x9E3779B97F4A7C15ULL);
  }
  std::string part(8, ' ');
  for (char& c : part) {  // 8 letters take 48 of the 64 bits
    c = kAlphabet[bits % 62];
    bits /= 62;
  }
  return part;
}

// A hidden name beside `name` that does not end in a result's extension.
std::string hidden_name(const std::string& name) { return "." + name + "." + random_part(); }

// A descriptor moved above the three standard ones: should the program have been started
// with one of them closed, its console output and diagnostics must not reach the files.
int above_standard_streams(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int error = errno;
  ::close(fd);
  errno = error;
  return moved;
}

// The directory for *at calls. One that may be searched but not read gives an O_PATH
// descriptor: enough for the renames, though not for the lock.
int open_directory(const std::string& directory) {
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == EACCES) fd = ::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  return above_standard_streams(fd);
}

// 0 when `name` may be replaced by a new file: absent, or anything but a directory or a
// regular file this process may not write; otherwise the reason, as an errno value.
int replaceable(int directory_fd, const std::string& name) {
  struct stat entry {};
  if (::fstatat(directory_fd, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(entry.st_mode)) return EISDIR;
  if (S_ISREG(entry.st_mode) && ::faccessat(directory_fd, name.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  return 0;
}

bool exists(int directory_fd, const std::string& name) {
  struct stat entry {};
  return ::fstatat(directory_fd, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
}

// Holds an exclusive flock on each distinct directory of a set of files until destroyed.
class DirectoryLocks {
 public:
  explicit DirectoryLocks(const std::vector<int>& directory_fds) {
    std::vector<std::pair<dev_t, ino_t>> seen;
    for (int fd : directory_fds) {
      struct stat directory {};
      if (::fstat(fd, &directory) != 0) continue;
      const std::pair identity{directory.st_dev, directory.st_ino};
      bool again = false;
      for (const auto& other : seen) again = again || other == identity;
      if (again) continue;
      seen.push_back(identity);
      int result;
      do result = ::flock(fd, LOCK_EX);
      while (result != 0 && errno == EINTR);
      if (result == 0) locked_.push_back(fd);  // otherwise (no flock here) the renames go ahead unlocked
    }
  }
  ~DirectoryLocks() {
    for (int fd : locked_) ::flock(fd, LOCK_UN);
  }
  DirectoryLocks(const DirectoryLocks&) = delete;
  DirectoryLocks& operator=(const DirectoryLocks&) = delete;

 private:
  std::vector<int> locked_;
};

}  // namespace

PendingFile::PendingFile(const std::string& path, std::string what) : what_(std::move(what)) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  name_ = slash == std::string::npos ? path : path.substr(slash + 1);
  // A constructor that throws runs no destructor: give back what was taken so far.
  const auto give_up = [this](int error) {
    discard();
    if (directory_fd_ >= 0) ::close(directory_fd_);
    directory_fd_ = -1;
    fail("open", error);
  };
  state_ = State::gone;  // until the temporary file exists
  directory_fd_ = open_directory(directory);
  if (directory_fd_ < 0) give_up(errno);
  if (const int reason = replaceable(directory_fd_, name_); reason != 0) give_up(reason);
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temporary_ = hidden_name(name_);
    SignalBlock block;  // the file exists exactly while it is registered
    fd = ::openat(directory_fd_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 && fd <= STDERR_FILENO && (fd = above_standard_streams(fd)) < 0) {
      const int error = errno;
      ::unlinkat(directory_fd_, temporary_.c_str(), 0);
      give_up(error);
    }
    if (fd >= 0) {
      slot_ = register_temporary(directory_fd_, temporary_.c_str());
      state_ = State::writing;
    } else if (errno != EEXIST || attempt == 100) {
      give_up(errno);
    }
  }
  stream_ = ::fdopen(fd, "wb");
  if (stream_ == nullptr) {
    const int error = errno;
    ::close(fd);
    give_up(error);
  }
}

PendingFile::~PendingFile() {
  discard();
  if (directory_fd_ >= 0) ::close(directory_fd_);
}

void PendingFile::fail(const char* action, int error) {
  throw RunDiagnostic(std::string("cannot ") + action + " " + what_ + ": " + std::strerror(error));
}

void PendingFile::finish() {
  if (state_ != State::writing) return;
  errno = 0;
  bool failed = std::fflush(stream_) != 0 || std::ferror(stream_) != 0;
  int error = errno;
  if (!failed && ::fsync(::fileno(stream_)) != 0) {
    failed = true;
    error = errno;
  }
  errno = 0;
  const bool close_failed = std::fclose(stream_) != 0;
  stream_ = nullptr;
  if (!failed && close_failed) {
    failed = true;
    error = errno;
  }
  if (failed) {
    discard();
    fail("write", error != 0 ? error : EIO);
  }
  state_ = State::finished;
}

void PendingFile::discard() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (state_ == State::gone) return;
  SignalBlock block;
  ::unlinkat(directory_fd_, temporary_.c_str(), 0);
  forget_temporary(slot_);
  slot_ = -1;
  state_ = State::gone;
}

void PendingFile::install(const std::vector<PendingFile*>& files) {
  std::vector<int> directories;
  for (const PendingFile* file : files) {
    if (file->state_ != State::finished)
      throw RunDiagnostic("internal error: " + file->what_ + " is installed before it is finished");
    directories.push_back(file->directory_fd_);
  }
  const DirectoryLocks locks(directories);
  SignalBlock block;
  for (PendingFile* file : files)
    if (const int reason = replaceable(file->directory_fd_, file->name_); reason != 0) file->fail("install", reason);

  // What stood at each name but the last, kept as a hard link, so that a failed rename
  // further on can put it back. A file system without hard links gets no keepsake.
  const std::size_t count = files.size();
  std::vector<bool> existed(count, false);
  std::vector<std::string> keepsakes(count);
  for (std::size_t k = 0; k + 1 < count; ++k) {
    const PendingFile& file = *files[k];
    existed[k] = exists(file.directory_fd_, file.name_);
    if (!existed[k]) continue;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string keepsake = hidden_name(file.name_);
      if (::linkat(file.directory_fd_, file.name_.c_str(), file.directory_fd_, keepsake.c_str(), 0) == 0) {
        keepsakes[k] = keepsake;
        break;
      }
      if (errno != EEXIST) break;
    }
  }
  const auto drop_keepsakes = [&] {
    for (std::size_t k = 0; k < count; ++k)
      if (!keepsakes[k].empty()) ::unlinkat(files[k]->directory_fd_, keepsakes[k].c_str(), 0);
  };

  for (std::size_t k = 0; k < count; ++k) {
    PendingFile& file = *files[k];
    if (::renameat(file.directory_fd_, file.temporary_.c_str(), file.directory_fd_, file.name_.c_str()) != 0) {
      const int error = errno;
      std::string not_undone;
      for (std::size_t j = k; j-- > 0;) {
        const PendingFile& earlier = *files[j];
        const int fd = earlier.directory_fd_;
        const bool undone = !keepsakes[j].empty() ? ::renameat(fd, keepsakes[j].c_str(), fd, earlier.name_.c_str()) == 0
                            : !existed[j]         ? ::unlinkat(fd, earlier.name_.c_str(), 0) == 0
                                                  : false;
        if (undone) keepsakes[j].clear();
        if (!undone) not_undone += "; " + earlier.what_ + " was installed all the same";
      }
      drop_keepsakes();
      throw RunDiagnostic("cannot install " + file.what_ + ": " + std::strerror(error) + not_undone);
    }
    forget_temporary(file.slot_);
    file.slot_ = -1;
    file.state_ = State::gone;
  }
  drop_keepsakes();
  mark_installed();
}

}  // namespace hf::report
