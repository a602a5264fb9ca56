// Adds entries to the WinINet cache of the current user, as a browser would: for every line
// "<url>[<tab><extension>]" of the list file, creates the entry's local file, writes a few bytes
// into it and commits the entry. Exit status 0 when every entry was committed.
//
//   wininet_add <list file>
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool AddEntry(const std::string& url, const std::string& extension) {
  char localFile[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, extension.c_str(), localFile, 0)) {
    std::fprintf(stderr, "CreateUrlCacheEntryA %s: error %lu\n", url.c_str(), GetLastError());
    return false;
  }
  HANDLE file = CreateFileA(localFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool wrote = WriteFile(file, url.data(), static_cast<DWORD>(url.size()), &written, nullptr);
  CloseHandle(file);
  // Headers make the entry's record larger, as a real response's headers do.
  static char headers[] = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
  const FILETIME never = {};
  if (!wrote || !CommitUrlCacheEntryA(url.c_str(), localFile, never, never, NORMAL_CACHE_ENTRY,
                                      reinterpret_cast<LPBYTE>(headers), sizeof headers - 1,
                                      extension.empty() ? nullptr : extension.c_str(), nullptr)) {
    std::fprintf(stderr, "CommitUrlCacheEntryA %s: error %lu\n", url.c_str(), GetLastError());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wininet_add <list file>\n");
    return 2;
  }
  std::ifstream list(argv[1]);
  if (!list) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  bool ok = true;
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t tab = line.find('\t');
    const std::string url = line.substr(0, tab);
    const std::string extension = tab == std::string::npos ? "" : line.substr(tab + 1);
    ok = AddEntry(url, extension) && ok;
  }
  return ok ? 0 : 1;
}
