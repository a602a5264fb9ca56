#include "support/firefox_entry_writer.h"

#include "cache/firefox/jenkins_hash.h"

namespace murel {
namespace {

constexpr std::size_t kChunk = 256 * 1024;

void Put32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

std::uint32_t Get32(const std::string& in, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = at; i < at + 4; ++i)
    value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
}

void Set32(std::string& out, std::size_t at, std::uint32_t value) {
  std::string bytes;
  Put32(bytes, value);
  out.replace(at, 4, bytes);
}

std::uint32_t Hash(const std::string& in, std::size_t at, std::size_t size) {
  return JenkinsHash(reinterpret_cast<const unsigned char*>(in.data()) + at, size);
}

}  // namespace

std::string FirefoxEntryFile(const FirefoxEntryPlan& plan) {
  std::string file = plan.data;
  Put32(file, 0);  // the metadata hash, set below
  for (std::size_t i = 0; i < plan.data.size(); i += kChunk) file += std::string(2, '\0');
  for (std::uint32_t word : {plan.version, 1u, plan.lastModified, plan.lastModified, 0u, 0u,
                             static_cast<std::uint32_t>(plan.key.size())}) {
    Put32(file, word);
  }
  if (plan.version > 1) Put32(file, 0);  // flags
  file += plan.key + '\0';
  for (const auto& [name, value] : plan.elements) file += name + '\0' + value + '\0';
  if (plan.version >= 4) Put32(file, 4);
  Put32(file, static_cast<std::uint32_t>(plan.data.size()));
  FixFirefoxHashes(file);
  return file;
}

void FixFirefoxHashes(std::string& file) {
  if (file.size() < 8) return;
  const std::size_t data = Get32(file, file.size() - 4);
  const std::size_t chunks = (data + kChunk - 1) / kChunk;
  const std::size_t header = data + 4 + 2 * chunks;
  if (data >= file.size() || header + 4 > file.size()) return;
  for (std::size_t i = 0; i < chunks; ++i) {
    const std::size_t size = std::min(kChunk, data - i * kChunk);
    const std::uint32_t hash = Hash(file, i * kChunk, size);
    file[data + 4 + 2 * i] = static_cast<char>((hash >> 8) & 0xFF);
    file[data + 5 + 2 * i] = static_cast<char>(hash & 0xFF);
  }
  const std::size_t trailer = Get32(file, header) >= 4 ? 8 : 4;
  if (header + trailer > file.size()) return;
  Set32(file, data, Hash(file, data + 4, file.size() - trailer - data - 4));
}

}  // namespace murel
