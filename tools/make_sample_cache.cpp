// Fills the WinINet cache of the current Wine prefix (or Windows user) from a list of URLs, so
// that the sample cache can be made again. Each line of the list is a URL, optionally followed by
// a blank and a file (relative to the list's folder) whose bytes become the entry's content;
// without one, the content is a small page naming the URL. Lines starting with "#" are comments.
// Prints the folder of the cache's index.dat.
//
// The Windows presets build it as the target make_sample_cache.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// The extension WinINet gives the local file: the URL's last name's, without its query.
std::string ExtensionOf(const std::string& url) {
  std::string path = url.substr(0, url.find('?'));
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "htm";
  std::string extension = path.substr(dot + 1);
  return extension.empty() || extension.size() > 8 ? "htm" : extension;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Adds one entry; the local file's folder on success, empty on failure.
std::string AddEntry(const std::string& url, const std::string& content) {
  char local[MAX_PATH] = {};
  const std::string extension = ExtensionOf(url);
  if (!CreateUrlCacheEntryA(url.c_str(), 0, extension.c_str(), local, 0)) {
    std::cerr << "CreateUrlCacheEntryA failed for " << url << ": " << GetLastError() << "\n";
    return "";
  }
  std::FILE* file = std::fopen(local, "wb");
  if (file == nullptr || std::fwrite(content.data(), 1, content.size(), file) != content.size()) {
    std::cerr << "cannot write " << local << "\n";
    return "";
  }
  std::fclose(file);
  static const char headers[] = "HTTP/1.1 200 OK\r\n\r\n";
  FILETIME none = {};
  if (!CommitUrlCacheEntryA(url.c_str(), local, none, none, NORMAL_CACHE_ENTRY,
                            reinterpret_cast<BYTE*>(const_cast<char*>(headers)), sizeof headers - 1,
                            nullptr, nullptr)) {
    std::cerr << "CommitUrlCacheEntryA failed for " << url << ": " << GetLastError() << "\n";
    return "";
  }
  std::string folder = local;
  return folder.substr(0, folder.rfind('\\'));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_sample_cache <list>\n";
    return 2;
  }
  const std::string list = argv[1];
  const std::size_t cut = list.find_last_of("\\/");
  const std::string base = cut == std::string::npos ? "" : list.substr(0, cut + 1);
  std::ifstream in(list);
  std::string line, folder;
  int failures = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t blank = line.find(' ');
    const std::string url = line.substr(0, blank);
    const std::string content = blank == std::string::npos
                                    ? "<html><body><p>" + url + "</p></body></html>\n"
                                    : ReadFile(base + line.substr(blank + 1));
    const std::string added = AddEntry(url, content);
    if (added.empty()) {
      ++failures;
    } else {
      folder = added;
    }
  }
  // The entry's folder is one of the cache's directories; index.dat lies one level up.
  std::cout << folder.substr(0, folder.rfind('\\')) << "\n";
  return failures == 0 ? 0 : 1;
}
