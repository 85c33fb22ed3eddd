// Reads a table file byte by byte, independently of the table engine, so the
// memo tests can check exactly what is on disk.
#pragma once

#include "filenames.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct DbfFileField {
  std::string name;
  char type;
  int width, decimals;
};

struct DbfFile {
  bool ok = false;
  uint32_t headerCount = 0;
  std::vector<DbfFileField> fields;
  struct Record {
    bool deleted;
    std::vector<std::string> values;  // raw field bytes
  };
  std::vector<Record> records;
  size_t fileSize = 0;

  // The value of field name in record i (0-based), trailing and leading blanks removed.
  std::string value(size_t i, const std::string &name) const {
    for (size_t f = 0; f < fields.size(); ++f)
      if (fields[f].name == name) {
        std::string v = records.at(i).values[f];
        const auto b = v.find_first_not_of(' ');
        const auto e = v.find_last_not_of(' ');
        return b == std::string::npos ? std::string() : v.substr(b, e - b + 1);
      }
    return "<no field " + name + ">";
  }
  std::string rawText(size_t i) const { return records.at(i).values.back(); }
};

// name is looked up regardless of letter case, as the program does.
inline DbfFile readDbfFile(const std::string &name) {
  DbfFile d;
  std::ifstream in(calixo::resolveFileName(name), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  d.fileSize = bytes.size();
  if (bytes.size() < 32)
    return d;
  auto u16 = [&](size_t at) { return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8; };
  d.headerCount = u16(4) | u16(6) << 16;
  const size_t headerLength = u16(8), recordLength = u16(10);
  for (size_t at = 32; at + 32 <= headerLength && bytes[at] != '\x0D'; at += 32) {
    DbfFileField f;
    f.name = std::string(bytes.data() + at, 11).c_str();
    f.type = bytes[at + 11];
    f.width = uint8_t(bytes[at + 16]);
    f.decimals = uint8_t(bytes[at + 17]);
    d.fields.push_back(f);
  }
  for (size_t at = headerLength; at + recordLength <= bytes.size() && recordLength > 0; at += recordLength) {
    if (bytes[at] == '\x1A')
      break;
    DbfFile::Record r;
    r.deleted = bytes[at] == '*';
    size_t off = at + 1;
    for (const auto &f : d.fields) {
      r.values.emplace_back(bytes.data() + off, size_t(f.width));
      off += size_t(f.width);
    }
    d.records.push_back(std::move(r));
  }
  d.ok = true;
  return d;
}
