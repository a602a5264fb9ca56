// Bodies compressed with zlib, as servers send them, for tests that build caches.
#pragma once

#include <zlib.h>

#include <string>

namespace murel {

/// `in` compressed by zlib's deflate with `windowBits` as deflateInit2 takes them: 15 a zlib
/// stream, 15 + 16 a gzip member, -15 raw deflate.
inline std::string Deflated(const std::string& in, int windowBits) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(in.size())) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace murel
