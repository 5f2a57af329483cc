#pragma once
// The converter's record of the pictures it wrote under textures\ and what each was made from,
// kept in textures\ beside them. A scene exported again after its picture changed then replaces
// the converter's own earlier copy instead of piling up "_2", "_3"... copies, while a file the
// author put there, or edited since the converter wrote it, is never replaced.
#include <cstdint>
#include <string>
#include <vector>

extern const char kConvertedTexturesFile[];

class ConvertedTextures {
 public:
  // The record as the folder holds it; a missing or foreign file gives an empty record, so
  // nothing is taken for the converter's own.
  void Read();
  // Whether the file at destination, holding `there`, is what the converter wrote there from
  // source and unchanged since.
  bool Ours(const std::string& destination, const std::string& source,
            const std::vector<uint8_t>& there) const;
  // Whether destination was written from source: only then can it be Ours.
  bool Lists(const std::string& destination, const std::string& source) const;
  // The converter wrote `bytes` to destination from source.
  void Note(const std::string& destination, const std::string& source,
            const std::vector<uint8_t>& bytes);
  // Puts the record in place when Note changed it; false when it cannot be written.
  bool Write() const;

 private:
  struct Entry {
    std::string destination;
    std::string source;
    uint64_t size = 0;
    uint64_t hash = 0;
  };
  const Entry* Find(const std::string& destination) const;
  std::vector<Entry> m_entries;
  bool m_changed = false;
};
