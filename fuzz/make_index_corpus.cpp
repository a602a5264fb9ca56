// Writes the synthetic seed files of the index.dat fuzz target into the folder given as the
// only argument: one file per version, several tables, damaged and unusual slots and records.
#include <fstream>
#include <iostream>
#include <string>

#include "support/index_dat_writer.h"

namespace {

using murel::IndexDatWriter;
using Version = IndexDatWriter::Version;

bool Save(const std::string& folder, const std::string& name, const IndexDatWriter& writer) {
  const std::vector<unsigned char> bytes = writer.Bytes();
  std::ofstream out(folder + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

IndexDatWriter Entries(Version version) {
  IndexDatWriter writer(version);
  const std::uint8_t dir = writer.AddDirectory("ENG3X4ZR");
  writer.AddDirectory("5ZBG4UOD");
  writer.AddUrl("http://example.com/", "index[1].htm", dir);
  writer.AddUrl("Visited: u@http://example.com/", "", IndexDatWriter::kNoDirectory);
  writer.AddUrl("http://example.com/a.ico", "a[1].ico", IndexDatWriter::kNoDirectory);
  writer.AddUrl("http://example.com/lost", "lost[1]", 9);
  return writer;
}

IndexDatWriter Chain() {
  IndexDatWriter writer;
  writer.AddDirectory("ABCDEFGH");
  for (int table = 0; table < 3; ++table) {
    writer.AddTable();
    writer.AddUrl("http://t" + std::to_string(table) + "/", "f.htm", 0);
  }
  return writer;
}

IndexDatWriter OddSlots() {
  IndexDatWriter writer;
  const std::uint32_t table = writer.AddTable();
  const std::uint32_t url = writer.AddUrlRecord("http://h/", "h.htm", IndexDatWriter::kNoDirectory,
                                                "HTTP/1.1 200 OK\r\n\r\n");
  writer.SetSlot(table, 0, 1, url);
  writer.SetSlot(table, 1, 0x40, writer.AddRecord("REDR"));
  writer.SetSlot(table, 2, 0x40, writer.AddRecord("LEAK", 2));
  writer.SetSlot(table, 3, 0x0BADF00D, 0xDEADBEEF);
  writer.SetSlot(table, 4, 0x40, url);
  writer.SetSlot(table, 5, 0x48, table);
  return writer;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_index_corpus <folder>\n";
    return 2;
  }
  const std::string folder = argv[1];
  const bool ok = Save(folder, "ver52.dat", Entries(Version::k52)) &&
                  Save(folder, "ver47.dat", Entries(Version::k47)) &&
                  Save(folder, "wine2012.dat", Entries(Version::kWine2012)) &&
                  Save(folder, "wine2005.dat", Entries(Version::kWine2005)) &&
                  Save(folder, "chain.dat", Chain()) && Save(folder, "slots.dat", OddSlots());
  return ok ? 0 : 1;
}
