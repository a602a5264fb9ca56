#include "export/earlier_owners.h"

#include "base/ascii.h"

namespace murel {
namespace {

constexpr std::size_t kReadSize = std::size_t{64} << 10;

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

EarlierOwners EarlierOwners::Read(Platform& platform, const std::string& path,
                                  const std::string& prefix) {
  EarlierOwners owners;
  const std::unique_ptr<ReadableFile> file = platform.OpenFileForReading(path);
  if (!file) return owners;
  std::string buffer;
  std::size_t start = 0;  // where the line at hand begins in `buffer`
  std::uint64_t offset = 0;
  while (offset < file->Facts().size) {
    buffer.erase(0, start);
    start = 0;
    const std::size_t kept = buffer.size();
    buffer.resize(kept + kReadSize);
    const std::optional<std::size_t> got =
        file->ReadAt(offset, reinterpret_cast<unsigned char*>(&buffer[kept]), kReadSize);
    if (!got || *got == 0) return EarlierOwners();
    buffer.resize(kept + *got);
    owners.hash_.Add(std::string_view(buffer).substr(kept));
    offset += *got;
    for (std::size_t end; (end = buffer.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      owners.Take(std::string_view(buffer).substr(start, end - start), prefix);
    }
  }
  owners.size_ = offset;
  owners.found_ = true;
  return owners;
}

void EarlierOwners::Take(std::string_view line, const std::string& prefix) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos) return;
  const std::string_view shownPath = line.substr(tab + 1);
  if (!StartsWithNoCase(shownPath, prefix)) return;
  const auto [at, added] =
      owners_.try_emplace(LowerCase(shownPath), std::string(line.substr(0, tab)));
  if (!added) at->second.reset();
}

bool EarlierOwners::Holds(std::string_view shownPath, std::string_view url) const {
  const auto at = owners_.find(LowerCase(shownPath));
  return at != owners_.end() && at->second && *at->second == url;
}

}  // namespace murel
