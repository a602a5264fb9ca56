// Writes a synthetic URL cache for the benchmark: index.dat, the cache directories and, unless
// "--index-only", every content file. The same seed always gives the same cache.
//
//   make_cache <cache folder> <entries> [seed] [--index-only] [--wine]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/synthetic_cache.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: make_cache <cache folder> <entries> [seed] [--index-only] [--wine]\n");
    return 2;
  }
  std::uint64_t seed = 1;
  bool withContent = true;
  auto version = murel::IndexDatWriter::Version::k52;
  for (int arg = 3; arg < argc; ++arg) {
    if (std::strcmp(argv[arg], "--index-only") == 0) {
      withContent = false;
    } else if (std::strcmp(argv[arg], "--wine") == 0) {
      version = murel::IndexDatWriter::Version::kWine2012;
    } else {
      seed = std::strtoull(argv[arg], nullptr, 10);
    }
  }
  const std::string folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const auto entries = murel::PlanSyntheticCache(std::strtoull(argv[2], nullptr, 10), seed);
  if (!murel::WriteSyntheticCache(folder, entries, version, withContent)) {
    std::fprintf(stderr, "make_cache: cannot write the cache in %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
