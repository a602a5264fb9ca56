#include "export/sha1_digest.h"

#include <gcrypt.h>

#include <algorithm>
#include <cstdlib>

namespace murel {
namespace {

// libgcrypt must be told once, before any other call, that the program uses it; secure memory
// is for keys, which a digest of public bytes does not have.
void InitializeGcrypt() {
  static const bool initialized = [] {
    gcry_check_version(nullptr);
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
  }();
  (void)initialized;
}

}  // namespace

struct Sha1Digest::Handle {
  gcry_md_hd_t md = nullptr;
};

Sha1Digest::Sha1Digest() : handle_(std::make_unique<Handle>()) {
  InitializeGcrypt();
  // Opening a SHA-1 context fails only when the library is out of memory or built without SHA-1.
  if (gcry_md_open(&handle_->md, GCRY_MD_SHA1, 0) != 0) std::abort();
}

Sha1Digest::~Sha1Digest() { gcry_md_close(handle_->md); }

void Sha1Digest::Add(const void* data, std::size_t size) {
  if (size != 0) gcry_md_write(handle_->md, data, size);
}

Sha1Digest::Value Sha1Digest::Finish() {
  Value value;
  const unsigned char* digest = gcry_md_read(handle_->md, GCRY_MD_SHA1);
  std::copy(digest, digest + value.size(), value.begin());
  gcry_md_reset(handle_->md);
  return value;
}

std::string WarcDigestLabel(const Sha1Digest::Value& value) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
  std::string label = "sha1:";
  // 160 bits make exactly 32 groups of five bits.
  unsigned buffer = 0;
  int bits = 0;
  for (const unsigned char byte : value) {
    buffer = (buffer << 8) | byte;
    bits += 8;
    while (bits >= 5) {
      bits -= 5;
      label += kAlphabet[(buffer >> bits) & 31u];
    }
  }
  return label;
}

}  // namespace murel
