// SHA-1 digests in the form web archives label their records with.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace murel {

/// A SHA-1 digest computed over bytes handed to it in pieces (libgcrypt does the work).
class Sha1Digest {
 public:
  using Value = std::array<unsigned char, 20>;

  Sha1Digest();
  ~Sha1Digest();
  Sha1Digest(const Sha1Digest&) = delete;
  Sha1Digest& operator=(const Sha1Digest&) = delete;

  /// Adds `size` bytes at `data` to what the digest covers.
  void Add(const void* data, std::size_t size);
  /// The digest of every byte added so far; the digest then starts again from nothing.
  Value Finish();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

/// The digest as web archives write it: "sha1:" and the 20 bytes in base32 (RFC 4648 alphabet,
/// upper case, 32 characters, no padding needed).
std::string WarcDigestLabel(const Sha1Digest::Value& value);

}  // namespace murel
