// Adds entries to the WinINet cache of the current user (or Wine prefix) as a browser would:
// creates each entry's local file, writes its content and commits it with response headers.
// scripts/make-sample-cache makes samples/cache with it, scripts/wine-end-to-end fills Wine's
// cache, and the comparison of the index.dat reader with WinINet (win32_wininet_test.cpp) makes
// caches that WinINet wrote itself.
//
//   wininet_add <list file>
//
// Each line of the list is "<url>[ <content file>][<tab><extension>]". The content file is
// relative to the list's folder; without one the content is a small page naming the URL. The
// extension is the local file's (a tab and nothing: none); without a tab it is the URL's last
// name's. Blank lines and lines starting with "#" are passed over. Prints the folder of the
// cache's index.dat; exit status 0 when every entry was committed.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Line {
  std::string url;
  std::string contentFile;  // empty: a page naming the URL
  std::string extension;
};

// The extension WinINet gives the local file by default: the URL's last name's, without its
// query; "htm" where it has none.
std::string ExtensionOf(const std::string& url) {
  std::string path = url.substr(0, url.find('?'));
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "htm";
  std::string extension = path.substr(dot + 1);
  return extension.empty() || extension.size() > 8 ? "htm" : extension;
}

Line Parse(const std::string& text) {
  const std::size_t tab = text.find('\t');
  const std::string rest = text.substr(0, tab);
  const std::size_t blank = rest.find(' ');
  Line line{rest.substr(0, blank), blank == std::string::npos ? "" : rest.substr(blank + 1), ""};
  line.extension = tab == std::string::npos ? ExtensionOf(line.url) : text.substr(tab + 1);
  return line;
}

// Headers as a server sends them, so that each record is as large as a real response's.
std::string HeadersFor(const std::string& extension) {
  const char* type = extension == "css"                          ? "text/css"
                     : extension == "js"                         ? "text/javascript"
                     : extension == "png"                        ? "image/png"
                     : extension == "txt"                        ? "text/plain"
                     : extension == "htm" || extension == "html" ? "text/html"
                                                                 : "application/octet-stream";
  return std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + type + "\r\n\r\n";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Adds one entry; the local file's folder on success, empty on failure.
std::string AddEntry(const Line& line, const std::string& content) {
  char local[MAX_PATH] = {};
  const char* extension = line.extension.empty() ? nullptr : line.extension.c_str();
  if (!CreateUrlCacheEntryA(line.url.c_str(), 0, line.extension.c_str(), local, 0)) {
    std::cerr << "CreateUrlCacheEntryA failed for " << line.url << ": " << GetLastError() << "\n";
    return "";
  }
  std::FILE* file = std::fopen(local, "wb");
  const bool wrote =
      file != nullptr && std::fwrite(content.data(), 1, content.size(), file) == content.size();
  if (file == nullptr || std::fclose(file) != 0 || !wrote) {
    std::cerr << "cannot write " << local << "\n";
    return "";
  }
  std::string headers = HeadersFor(line.extension);
  FILETIME none = {};
  if (!CommitUrlCacheEntryA(line.url.c_str(), local, none, none, NORMAL_CACHE_ENTRY,
                            reinterpret_cast<BYTE*>(headers.data()),
                            static_cast<DWORD>(headers.size()), extension, nullptr)) {
    std::cerr << "CommitUrlCacheEntryA failed for " << line.url << ": " << GetLastError() << "\n";
    return "";
  }
  const std::string path = local;
  return path.substr(0, path.rfind('\\'));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: wininet_add <list file>\n";
    return 2;
  }
  const std::string list = argv[1];
  std::ifstream in(list);
  if (!in) {
    std::cerr << "cannot read " << list << "\n";
    return 2;
  }
  const std::size_t cut = list.find_last_of("\\/");
  const std::string base = cut == std::string::npos ? "" : list.substr(0, cut + 1);
  std::string text, folder;
  int failures = 0;
  while (std::getline(in, text)) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text[0] == '#') continue;
    const Line line = Parse(text);
    const std::string content = line.contentFile.empty()
                                    ? "<html><body><p>" + line.url + "</p></body></html>\n"
                                    : ReadFile(base + line.contentFile);
    const std::string added = AddEntry(line, content);
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
