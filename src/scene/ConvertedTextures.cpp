#include "scene/ConvertedTextures.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

#include "platform/ContentHash.h"
#include "platform/Files.h"

const char kConvertedTexturesFile[] = "textures\\.zorbanel-converted";

namespace {

const char kHeader[] = "zorbanel-converted 1";

}  // namespace

// One line a picture: "SIZE HASH<tab>DESTINATION<tab>SOURCE". A line of any other shape makes
// the whole record foreign.
void ConvertedTextures::Read() {
  m_entries.clear();
  m_changed = false;
  if (ExamineFile(kConvertedTexturesFile).kind == FileKind::missing) return;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(kConvertedTexturesFile, ReadLimit::kScript, bytes)) return;
  std::istringstream text(std::string(bytes.begin(), bytes.end()));
  std::string line;
  if (!std::getline(text, line) || line != kHeader) return;
  std::vector<Entry> entries;
  while (std::getline(text, line)) {
    Entry entry;
    int start = 0;
    const size_t tab = line.find('\t'), second = line.find('\t', tab + 1);
    if (std::sscanf(line.c_str(), "%" SCNu64 " %16" SCNx64 "%n", &entry.size, &entry.hash,
                    &start) != 2 ||
        tab == std::string::npos || static_cast<size_t>(start) != tab ||
        second == std::string::npos)
      return;
    entry.destination = line.substr(tab + 1, second - tab - 1);
    entry.source = line.substr(second + 1);
    entries.push_back(entry);
  }
  m_entries.swap(entries);
}

const ConvertedTextures::Entry* ConvertedTextures::Find(const std::string& destination) const {
  for (const Entry& entry : m_entries)
    if (entry.destination == destination) return &entry;
  return nullptr;
}

bool ConvertedTextures::Lists(const std::string& destination, const std::string& source) const {
  const Entry* entry = Find(destination);
  return entry && entry->source == source;
}

bool ConvertedTextures::Ours(const std::string& destination, const std::string& source,
                             const std::vector<uint8_t>& there) const {
  const Entry* entry = Find(destination);
  return entry && entry->source == source && entry->size == there.size() &&
         entry->hash == ContentHash(there);
}

void ConvertedTextures::Note(const std::string& destination, const std::string& source,
                             const std::vector<uint8_t>& bytes) {
  // A name the record's lines cannot hold is left out: its picture is then never replaced.
  if ((destination + source).find_first_of("\t\r\n") != std::string::npos) return;
  const Entry* known = Find(destination);
  Entry& entry = known ? m_entries[known - m_entries.data()] : m_entries.emplace_back();
  entry = {destination, source, bytes.size(), ContentHash(bytes)};
  m_changed = true;
}

bool ConvertedTextures::Write() const {
  if (!m_changed) return true;
  std::string text = std::string(kHeader) + "\n";
  for (const Entry& entry : m_entries) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%" PRIu64 " %016" PRIx64 "\t", entry.size, entry.hash);
    text += numbers + entry.destination + "\t" + entry.source + "\n";
  }
  return WriteWholeFile(kConvertedTexturesFile, text.data(), text.size());
}
