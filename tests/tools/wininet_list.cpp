// Lists the entries of the WinINet cache of the current user through FindFirstUrlCacheEntryA and
// FindNextUrlCacheEntryA, one line "<url><tab><local file>" per entry, in the order WinINet gives
// them, into the output file. Records that need a larger buffer are read with the size WinINet
// asks for. Exit status 0 when the walk ended normally (no entry at all counts as normal).
//
//   wininet_list <output file>
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <vector>

namespace {

// Calls `step` until the buffer is large enough for the entry.
template <typename Step>
bool Fetch(std::vector<char>& buffer, Step step) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (step(reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()), &size)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.resize(size > buffer.size() ? size : buffer.size() * 2);
  }
  return false;
}

void Print(std::FILE* out, const std::vector<char>& buffer) {
  const auto* info = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
  std::fprintf(out, "%s\t%s\n", info->lpszSourceUrlName ? info->lpszSourceUrlName : "",
               info->lpszLocalFileName ? info->lpszLocalFileName : "");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wininet_list <output file>\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 2;
  std::vector<char> buffer(2000);
  HANDLE walk = nullptr;
  const bool first = Fetch(buffer, [&](INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
    walk = FindFirstUrlCacheEntryA(nullptr, info, size);
    return walk != nullptr;
  });
  DWORD error = first ? ERROR_NO_MORE_ITEMS : GetLastError();
  if (first) {
    Print(out, buffer);
    while (Fetch(buffer, [&](INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) {
      return FindNextUrlCacheEntryA(walk, info, size) != FALSE;
    })) {
      Print(out, buffer);
    }
    error = GetLastError();
    FindCloseUrlCache(walk);
  }
  const bool closed = std::fclose(out) == 0;
  if (error != ERROR_NO_MORE_ITEMS) std::fprintf(stderr, "walk ended with error %lu\n", error);
  return closed && error == ERROR_NO_MORE_ITEMS ? 0 : 1;
}
