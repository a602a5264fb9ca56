// "urls.txt" on the host, with the Windows line ends that the listing format has everywhere.

#include "platform/posix/listing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace murel {
namespace {

// A run writes one line per cache entry; a large buffer keeps that to few system calls.
constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

std::unique_ptr<PosixListingFile> PosixListingFile::Create(const std::string& hostPath) {
  // Never through a link (a link there could name any file of the user's), and never waiting on
  // a pipe: only a regular file, new or emptied, is written.
  const int fd = open(hostPath.c_str(),
                      O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  std::FILE* file = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  std::unique_ptr<PosixListingFile> listing(new PosixListingFile(file));
  listing->buffer_ = std::make_unique<char[]>(kBufferSize);
  std::setvbuf(file, listing->buffer_.get(), _IOFBF, kBufferSize);
  return listing;
}

PosixListingFile::~PosixListingFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void PosixListingFile::Write(const std::string& text) {
  if (file_ == nullptr) return;
  // The text goes out in runs between its "\n"s, each "\n" as CR LF: no translated copy.
  const std::string_view whole = text;
  std::size_t start = 0;
  for (std::size_t newline = whole.find('\n'); newline != std::string_view::npos;
       newline = whole.find('\n', start)) {
    Put(whole.substr(start, newline - start));
    Put("\r\n");
    start = newline + 1;
  }
  Put(whole.substr(start));
}

void PosixListingFile::Put(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
}

bool PosixListingFile::Close() {
  if (file_ == nullptr) return false;
  // fclose flushes; a failure there (disk full at the last buffer) counts like a failed write.
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return flushed && closed && !failed_;
}

}  // namespace murel
