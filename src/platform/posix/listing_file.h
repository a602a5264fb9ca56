// The listing file on the host: text written with CR LF line ends, buffered.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace murel {

/// A listing file written through a large stdio buffer; "\n" reaches the file as CR LF.
class PosixListingFile : public ListingFile {
 public:
  /// Creates or empties the host file `hostPath`; null if it cannot be opened for writing or is
  /// no regular file (a link is never followed, a pipe never waited on).
  static std::unique_ptr<PosixListingFile> Create(const std::string& hostPath);
  ~PosixListingFile() override;

  /// Appends `text` with every "\n" turned into CR LF.
  void Write(const std::string& text) override;
  /// Flushes and closes; false if any write, the flush or the close failed.
  bool Close() override;

 private:
  explicit PosixListingFile(std::FILE* file) : file_(file) {}

  /// Hands `text` to the stdio buffer as it is; a short write marks the file as failed.
  void Put(std::string_view text);

  std::FILE* file_;
  /// The stdio buffer; glibc takes a size only with a buffer of the caller's. It outlives the
  /// stream, which is closed in Close or the destructor's body.
  std::unique_ptr<char[]> buffer_;
  bool failed_ = false;
};

}  // namespace murel
