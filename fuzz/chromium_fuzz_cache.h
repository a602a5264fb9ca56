// What the fuzz targets of Chromium's cache readers share: an in-memory cache folder made from
// the input, and a walk over it that reads every body the way an export does.
//
// The input is the cache's files one after the other, separated by kFileSeparator, in the order
// of the names a target gives; missing files stay missing. Seeds are made from real caches by
// fuzz/make-chromium-corpus.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cache/cache_opener.h"
#include "cache/core/entry_url.h"
#include "export/stored_body_copy.h"
#include "fuzz_check.h"
#include "support/fake_platform.h"

namespace murel {

constexpr std::string_view kFileSeparator = "--murel-file--";
constexpr const char* kFuzzCacheFolder = "C:\\cache";

/// Adds the files of the input `data` to `platform` in kFuzzCacheFolder under `names`.
inline void AddCacheFiles(FakePlatform& platform, const std::uint8_t* data, std::size_t size,
                          const std::vector<std::string>& names) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  platform.AddDirectory(kFuzzCacheFolder);
  for (const std::string& name : names) {
    if (rest.empty()) break;
    const std::size_t end = rest.find(kFileSeparator);
    platform.AddFile(std::string(kFuzzCacheFolder) + "\\" + name, std::string(rest.substr(0, end)));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + kFileSeparator.size());
  }
}

/// Opens the cache in kFuzzCacheFolder as "-c" would, takes every entry and writes its body:
/// every entry has a URL and a body in a file of the cache folder, and no more entries come
/// than the input has bytes.
inline void ReadWholeCache(FakePlatform& platform, std::size_t inputSize) {
  platform.AddDirectory("C:\\out");
  const std::unique_ptr<CacheReader> reader = OpenCache(platform, kFuzzCacheFolder);
  if (!reader) return;
  CacheEntry entry;
  std::size_t entries = 0;
  while (reader->Next(entry)) {
    FuzzCheck(++entries <= inputSize, "more entries than input bytes");
    FuzzCheck(!entry.url.empty() && entry.storedBody.has_value(), "entry without URL or body");
    FuzzCheck(HasScheme(entry.url), "a URL without a scheme");
    FuzzCheck(std::none_of(entry.url.begin(), entry.url.end(),
                           [](unsigned char c) { return c < 0x20 || c == 0x7F; }),
              "a control byte in a URL, which would forge listing lines");
    FuzzCheck(entry.storedBody->file.rfind(std::string(kFuzzCacheFolder) + "\\", 0) == 0,
              "body outside the cache");
    const bool written =
        WriteStoredBody(platform, *entry.storedBody, true, "C:\\out\\body") == BodyCopy::kWritten;
    FuzzCheck(!written || platform.Content("C:\\out\\body")->size() == entry.storedBody->size,
              "body of another size");
  }
}

}  // namespace murel
