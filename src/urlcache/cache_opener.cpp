#include "urlcache/cache_opener.h"

#include "buffer_limits.h"
#include "urlcache/index_dat_reader.h"
#include "urlcache/system_cache_reader.h"

namespace murel {
namespace {

constexpr const char* kIndexFileName = "index.dat";

// The index.dat that `path` names: the file itself, or the one in the folder it names. Local
// files are named from the full path, so that they open wherever the current directory is. The
// named folder itself may be a link: that is the user's choice.
std::optional<std::string> IndexFileOf(Platform& platform, const std::string& path) {
  std::optional<std::string> full = platform.GetFullPathNameA(path, kPathBufferSize);
  if (!full || full->empty()) return std::nullopt;
  const std::optional<std::uint32_t> attributes = platform.GetFileAttributesA(*full);
  if (attributes && (*attributes & kFileAttributeDirectory) != 0) {
    if (full->back() != '\\') *full += '\\';
    *full += kIndexFileName;
  }
  return full;
}

}  // namespace

std::unique_ptr<CacheReader> OpenCache(Platform& platform, const std::string& cachePath) {
  std::optional<std::string> index;
  if (!cachePath.empty()) {
    index = IndexFileOf(platform, cachePath);
  } else {
    index = platform.DefaultCachePath();
    if (!index) return OpenSystemCache(platform);
  }
  if (!index) return nullptr;
  return OpenIndexDatReader(platform, *index);
}

}  // namespace murel
