#include "dbfdump.h"

#include "dbf.h"
#include "filenames.h"
#include "gbk.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

namespace calixo {

std::string jsonString(const std::string &s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (c < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        out += static_cast<char>(c);
      }
    }
  }
  return out + "\"";
}

namespace {

// The header values the engine keeps to itself, read from the file's first
// 12 bytes once the engine has accepted the file.
struct RawHeader {
  int version = 0, year = 0, month = 0, day = 0;
  uint32_t storedCount = 0;
  int headerLength = 0, recordLength = 0;
};

RawHeader readRawHeader(const std::string &path) {
  RawHeader h;
  std::ifstream in(path, std::ios::binary);
  unsigned char b[12] = {};
  in.read(reinterpret_cast<char *>(b), sizeof b);
  h.version = b[0];
  h.year = b[1];
  h.month = b[2];
  h.day = b[3];
  h.storedCount = b[4] | (b[5] << 8) | (b[6] << 16) | (uint32_t(b[7]) << 24);
  h.headerLength = b[8] | (b[9] << 8);
  h.recordLength = b[10] | (b[11] << 8);
  return h;
}

std::string jsonNumber(double v) {
  if (!std::isfinite(v))
    return "null";
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

std::string typeName(char t) { return std::string(1, t); }

}  // namespace

void dumpTable(const std::string &path, std::ostream &out) {
  dbf::TDbfDataSet table("dbfdump");
  table.SetTableName(path);
  table.Open();
  const RawHeader h = readRawHeader(table.FilePath());
  const auto &fields = table.Fields();

  out << "{\"file\":" << jsonString(table.FilePath()) << ",\"version\":" << h.version
      << ",\"date\":{\"year\":" << h.year << ",\"month\":" << h.month << ",\"day\":" << h.day
      << "},\"records\":" << table.RecordCount() << ",\"stored_count\":" << h.storedCount
      << ",\"header_length\":" << h.headerLength << ",\"record_length\":" << h.recordLength
      << ",\"fields\":[";
  for (size_t i = 0; i < fields.size(); ++i) {
    const auto &f = fields[i];
    out << (i ? "," : "") << "{\"name\":" << jsonString(f.name) << ",\"type\":"
        << jsonString(typeName(f.type)) << ",\"width\":" << f.width << ",\"decimals\":" << f.decimals
        << "}";
  }
  out << "]}\n";

  for (int n = 1; n <= table.RecordCount(); ++n) {
    table.GotoPhysical(n);
    // A record is printed whole or not at all.
    std::ostringstream line;
    line << "{\"record\":" << n << ",\"deleted\":" << (table.CurrentDeleted() ? "true" : "false")
        << ",\"fields\":{";
    // Fields are read by position: a foreign file may name two fields alike.
    for (size_t i = 0; i < fields.size(); ++i) {
      const auto &f = fields[i];
      const int at = static_cast<int>(i);
      line << (i ? "," : "") << jsonString(f.name) << ":";
      const std::string text = table.StringGetAt(at);
      if (f.type == 'N' || f.type == 'F') {
        line << "{\"text\":" << jsonString(gbkToUtf8(text)) << ",\"value\":";
        try {
          line << jsonNumber(table.FloatGetAt(at)) << "}";
        } catch (const std::exception &e) {
          // A field that does not hold a number is shown with the engine's
          // complaint instead of a value; the rest of the file still dumps.
          line << "null,\"error\":" << jsonString(gbkToUtf8(e.what())) << "}";
        }
      } else {
        line << jsonString(gbkToUtf8(text));
      }
    }
    line << "}}\n";
    out << line.str();
  }
  table.Close();
}

}  // namespace calixo
