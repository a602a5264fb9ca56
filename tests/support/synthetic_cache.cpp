#include "support/synthetic_cache.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace murel {
namespace {

constexpr std::size_t kHosts = 300;
constexpr std::size_t kSlotsPerTable = 448;
constexpr std::uint32_t kBlock = 0x80;
constexpr std::uint32_t kRecordArea = 0x4000;
constexpr std::uint32_t kSmallestFile = 0x8000;

const char* const kDirectories[] = {"0A1B2C3D", "4E5F6G7H", "8I9J0K1L", "2M3N4O5P",
                                    "6Q7R8S9T", "0U1V2W3X", "4Y5Z6A7B", "8C9D0E1F"};

const char* const kWords[] = {"news",   "images",  "img",  "static", "css",     "js",
                              "forum",  "wiki",    "docs", "media",  "archive", "2006",
                              "2007",   "blog",    "shop", "assets", "files",   "uploads",
                              "themes", "default", "user", "search", "help",    "about"};

// A small, portable generator (splitmix64): the standard distributions differ between libraries,
// and the same seed must give the same cache everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  /// A number in [low, high].
  std::size_t Between(std::size_t low, std::size_t high) {
    return low + static_cast<std::size_t>(Next() % (high - low + 1));
  }

  /// True with `percent` in 100.
  bool Percent(unsigned percent) { return Next() % 100 < percent; }

 private:
  std::uint64_t state_;
};

template <std::size_t N>
const char* Pick(Random& random, const char* const (&words)[N]) {
  return words[random.Between(0, N - 1)];
}

std::string HostName(Random& random, std::size_t number) {
  static const char* const kShapes[] = {"www.site", "cdn", "static.web", "forum.club", "img"};
  static const char* const kEnds[] = {".com", ".org", ".net", ".ru", ".co.uk", ".de"};
  std::string host = Pick(random, kShapes) + std::to_string(number) + Pick(random, kEnds);
  if (random.Percent(3)) host += ":8080";
  return host;
}

// Most entries sit one to three levels deep; a few go to six.
std::size_t Depth(Random& random) {
  const std::size_t roll = random.Between(0, 99);
  if (roll < 15) return 1;
  if (roll < 45) return 2;
  if (roll < 70) return 3;
  if (roll < 85) return 4;
  return roll < 95 ? 5 : 6;
}

// The directories of a path, from a small vocabulary so that entries share their trees.
std::string DirectoryPath(Random& random, std::size_t levels) {
  std::string path;
  for (std::size_t level = 0; level < levels; ++level) {
    path += Pick(random, kWords);
    if (random.Percent(30)) path += std::to_string(random.Between(1, 9));
    path += '/';
  }
  return path;
}

// The last part of a URL and the extension of its content file.
std::pair<std::string, std::string> PageName(Random& random) {
  const std::string number = std::to_string(random.Between(1, 99999));
  const std::size_t roll = random.Between(0, 99);
  if (roll < 30) return {"page" + number + ".html", ".htm"};
  if (roll < 45) return {"photo" + number + ".jpg", ".jpg"};
  if (roll < 55) return {"icon" + number + ".gif", ".gif"};
  if (roll < 65) return {"logo" + number + ".png", ".png"};
  if (roll < 72) return {"style" + number + ".css", ".css"};
  if (roll < 82) return {"script" + number + ".js", ".js"};
  if (roll < 94) return {"view.php?id=" + number + "&page=" + number.substr(0, 1), ".htm"};
  return {"", ".htm"};  // the directory's own page, "http://host/dir/"
}

// Browser caches hold mostly small files, some tens of kilobytes, a few hundreds.
std::size_t ContentSize(Random& random) {
  const std::size_t roll = random.Between(0, 99);
  if (roll < 75) return random.Between(500, 12 * 1024);
  if (roll < 95) return random.Between(12 * 1024, 64 * 1024);
  return random.Between(64 * 1024, 400 * 1024);
}

// The content file's name as the cache service forms it: the URL's last name without its query,
// "[n]" counting equal names in the directory, and the extension.
std::string ContentName(std::map<std::string, unsigned>& taken, const std::string& directory,
                        const std::string& page, const std::string& extension) {
  std::string base = page.substr(0, page.find_first_of(".?"));
  if (base.empty()) base = "index";
  const unsigned number = ++taken[directory + "\\" + base + extension];
  return base + "[" + std::to_string(number) + "]" + extension;
}

}  // namespace

std::vector<SyntheticEntry> PlanSyntheticCache(std::size_t count, std::uint64_t seed) {
  Random random(seed);
  std::vector<std::string> hosts;
  for (std::size_t host = 0; host < kHosts; ++host) hosts.push_back(HostName(random, host));

  std::vector<SyntheticEntry> entries;
  std::set<std::string> urls;
  std::map<std::string, unsigned> taken;
  std::vector<std::string> folders;  // URLs of the directories that entries lie in
  while (entries.size() < count) {
    // Squaring favours the first hosts: a few sites hold much of a real cache.
    const double share = static_cast<double>(random.Between(0, 9999)) / 10000.0;
    const std::string& host = hosts[static_cast<std::size_t>(share * share * kHosts)];
    const std::string scheme = random.Percent(20) ? "https://" : "http://";
    const std::string directories = DirectoryPath(random, Depth(random) - 1);
    auto [page, extension] = PageName(random);
    std::string url = scheme + host + "/" + directories + page;
    // A page whose URL is also the directory of an earlier entry ("/docs" beside "/docs/a.html").
    if (!folders.empty() && random.Percent(5)) {
      url = folders[random.Between(0, folders.size() - 1)];
      page = url.substr(url.rfind('/') + 1);
    } else if (!directories.empty()) {
      folders.push_back(scheme + host + "/" + directories.substr(0, directories.size() - 1));
    }
    if (!urls.insert(url).second) continue;
    SyntheticEntry entry;
    entry.url = url;
    entry.directory = kDirectories[random.Between(0, 7)];
    entry.fileName = ContentName(taken, entry.directory, page, extension);
    entry.size = ContentSize(random);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<unsigned char> SyntheticIndexDat(const std::vector<SyntheticEntry>& entries,
                                             IndexDatWriter::Version version) {
  IndexDatWriter writer(version);
  std::map<std::string, std::uint8_t> directories;
  for (const char* name : kDirectories) directories[name] = writer.AddDirectory(name);
  for (std::size_t index = 0; index < entries.size(); ++index) {
    if (index % kSlotsPerTable == 0) writer.AddTable();
    const SyntheticEntry& entry = entries[index];
    writer.AddUrl(entry.url, entry.fileName, directories[entry.directory]);
  }
  // WinINet under Wine counts the allocation bitmap in whole bytes and wants at least 0x8000
  // bytes; the spare blocks carry the free-record marker.
  const auto blocks = static_cast<std::uint32_t>((writer.Bytes().size() - kRecordArea) / kBlock);
  const std::uint32_t wanted =
      std::max((blocks + 7) / 8 * 8, (kSmallestFile - kRecordArea) / kBlock);
  const std::uint32_t spare = wanted - blocks;
  if (spare > 0) writer.AddRecord(std::string("\x0D\xF0\xAD\x0B", 4), spare);
  return writer.Bytes();
}

bool WriteSyntheticCache(const std::string& cacheFolder, const std::vector<SyntheticEntry>& entries,
                         IndexDatWriter::Version version, bool withContent) {
  std::error_code error;
  for (const char* name : kDirectories) {
    std::filesystem::create_directories(cacheFolder + "/" + name, error);
    if (error) return false;
  }
  const std::vector<unsigned char> indexFile = SyntheticIndexDat(entries, version);
  std::ofstream out(cacheFolder + "/index.dat", std::ios::binary);
  out.write(reinterpret_cast<const char*>(indexFile.data()),
            static_cast<std::streamsize>(indexFile.size()));
  out.close();
  if (!out) return false;
  if (!withContent) return true;

  // Content is a slice of one block of seeded bytes: not compressible, not sparse.
  Random random(entries.size());
  std::string bytes(512 * 1024, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random.Next());
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const SyntheticEntry& entry = entries[index];
    std::ofstream file(cacheFolder + "/" + entry.directory + "/" + entry.fileName,
                       std::ios::binary);
    file.write(bytes.data() + index % 4096, static_cast<std::streamsize>(entry.size));
    file.close();
    if (!file) return false;
  }
  return true;
}

}  // namespace murel
