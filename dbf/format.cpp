#include "format.h"

#include "clock.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace dbf::format {

uint16_t get16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t get32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
void put16(uint8_t *p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool acceptedVersion(uint8_t version) {
  return version == 0x03 || version == 0x30 || version == 0x83 || version == 0x8B || version == 0xF5;
}

int descriptorCount(uint8_t version, uint32_t headerLength) {
  // Version 0x30 keeps a 263-byte block behind the terminator.
  const uint32_t fixed = version == 0x30 ? 296 : 33;
  if (headerLength < fixed)
    return -1;
  return static_cast<int>((headerLength - fixed) / kDescriptorSize);
}

std::optional<Layout> parseLayout(const HeaderBytes &header, const std::vector<uint8_t> &descriptors,
                                  uint64_t fileSize) {
  Layout l;
  l.version = header[0];
  l.headerLength = get16(&header[8]);
  l.recordLength = get16(&header[10]);
  l.flags = header[28] & 0x07;
  l.changeStamp = get32(&header[16]);
  if (!acceptedVersion(l.version) || l.headerLength > fileSize || l.recordLength < 1)
    return std::nullopt;
  // A header may hold no descriptor at all: mapping tools write tables of
  // records without attributes that way (header length 33).
  const int count = descriptorCount(l.version, l.headerLength);
  if (count < 0 || descriptors.size() != static_cast<size_t>(count) * kDescriptorSize)
    return std::nullopt;
  uint32_t offset = 1;
  for (int i = 0; i < count; ++i) {
    const uint8_t *d = &descriptors[static_cast<size_t>(i) * kDescriptorSize];
    // Some writers leave room behind the terminator; the fields end there.
    if (d[0] == kHeaderEnd)
      break;
    FieldDef f;
    size_t len = 0;
    while (len < 11 && d[len] != 0)
      ++len;
    f.name.assign(reinterpret_cast<const char *>(d), len);
    f.type = static_cast<char>(d[11] >= 'a' && d[11] <= 'z' ? d[11] - 32 : d[11]);
    if (f.type == 'C') {
      f.width = d[16] + 256 * d[17];
      f.decimals = 0;
    } else {
      f.width = d[16];
      f.decimals = d[17];
    }
    f.offset = static_cast<int>(offset);
    offset += static_cast<uint32_t>(f.width);
    if (offset > l.recordLength)
      return std::nullopt;
    // A field of no width cannot be stored or read.
    if (f.width == 0)
      return std::nullopt;
    l.fields.push_back(std::move(f));
  }
  // The record is the deletion flag and the fields, nothing more: a header
  // whose record length says otherwise lies, and trusting it would put every
  // record, and every append, at the wrong place.
  if (offset != l.recordLength)
    return std::nullopt;
  return l;
}

bool countNeedsLastByte(const Layout &layout, uint64_t fileSize) {
  return layout.recordLength == 1 && fileSize > layout.headerLength;
}

uint32_t recordCountFor(const Layout &layout, uint64_t fileSize, uint8_t lastByte) {
  if (fileSize <= layout.headerLength || layout.recordLength == 0)
    return 0;
  uint64_t n = (fileSize - layout.headerLength) / layout.recordLength;
  if (countNeedsLastByte(layout, fileSize) && lastByte == kEndOfFile)
    --n;
  return n > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(n);
}

bool isMemoType(char type) { return type == 'M' || type == 'B' || type == 'G'; }
bool isNumericType(char type) { return type == 'N' || type == 'F'; }

bool normalizeField(FieldDef &def) {
  if (def.name.size() > 10)
    def.name.resize(10);
  upperAscii(def.name);
  if (def.type >= 'a' && def.type <= 'z')
    def.type = static_cast<char>(def.type - 32);
  switch (def.type) {
  case 'N':
  case 'F':
    return def.width >= 1 && def.width <= 255 && def.decimals >= 0 && def.decimals <= 255;
  case 'C':
    def.decimals = 0;
    return def.width >= 1 && def.width <= 65535;
  case 'D':
    def.width = 8;
    def.decimals = 0;
    return true;
  case 'L':
    def.width = 1;
    def.decimals = 0;
    return true;
  case 'M':
  case 'B':
  case 'G':
    def.width = 10;
    def.decimals = 0;
    return true;
  default:
    return false;
  }
}

std::vector<uint8_t> buildEmptyTable(uint8_t version, std::vector<FieldDef> &fields) {
  const size_t n = fields.size();
  const size_t headerLength = kHeaderSize * (n + 1) + 1;
  size_t recordLength = 1;
  for (auto &f : fields) {
    f.offset = static_cast<int>(recordLength);
    recordLength += static_cast<size_t>(f.width);
  }
  if (headerLength > 0xFFFF || recordLength > 0xFFFF)
    return {};
  std::vector<uint8_t> out(headerLength + 1, 0);
  out[0] = version;
  const auto now = calixo::clock().now();
  out[1] = static_cast<uint8_t>(now.year % 100);
  out[2] = static_cast<uint8_t>(now.month);
  out[3] = static_cast<uint8_t>(now.day);
  put16(&out[8], static_cast<uint16_t>(headerLength));
  put16(&out[10], static_cast<uint16_t>(recordLength));
  for (size_t i = 0; i < n; ++i) {
    uint8_t *d = &out[kHeaderSize * (i + 1)];
    std::memcpy(d, fields[i].name.data(), std::min<size_t>(fields[i].name.size(), 10));
    d[11] = static_cast<uint8_t>(fields[i].type);
    if (fields[i].type == 'C') {
      d[16] = static_cast<uint8_t>(fields[i].width % 256);
      d[17] = static_cast<uint8_t>(fields[i].width / 256);
    } else {
      d[16] = static_cast<uint8_t>(fields[i].width);
      d[17] = static_cast<uint8_t>(fields[i].decimals);
    }
  }
  out[headerLength - 1] = kHeaderEnd;
  out[headerLength] = kEndOfFile;
  return out;
}

void stampHeader(HeaderBytes &header, uint32_t recordCount, uint32_t userId, uint8_t flags) {
  const auto now = calixo::clock().now();
  header[1] = static_cast<uint8_t>(now.year % 100);
  header[2] = static_cast<uint8_t>(now.month);
  header[3] = static_cast<uint8_t>(now.day);
  put32(&header[4], recordCount);
  const uint32_t stamp =
      ((static_cast<uint32_t>(now.hour) * 64 + now.minute) * 64 + now.second) * 1024 + now.msec;
  put32(&header[16], stamp);
  put32(&header[20], userId);
  header[28] = flags & 0x07;
}

std::string formatNumber(double v, int decimals) {
  if (!std::isfinite(v) || decimals < 0)
    return {};
  bool negative = std::signbit(v);
  const double a = std::fabs(v);
  std::string whole = "0";
  std::string frac(static_cast<size_t>(decimals), '0');
  if (a != 0) {
    // The 18 significant digits and the position of the decimal point.
    // to_chars: correctly rounded and independent of the C locale.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 17);
    *r.ptr = '\0';
    std::string digits;
    digits += buf[0];
    digits.append(buf + 2, 17);
    const int point = std::atoi(std::strchr(buf, 'e') + 1) + 1;
    auto digitAt = [&](int i) { return i >= 0 && i < 18 ? digits[static_cast<size_t>(i)] : '0'; };
    whole.clear();
    for (int i = 0; i < point; ++i)
      whole += digitAt(i);
    if (whole.empty())
      whole.push_back('0');
    frac.clear();
    for (int j = 0; j <= decimals; ++j)
      frac += digitAt(point + j);
    const bool roundUp = frac.back() >= '5';
    frac.pop_back();
    if (roundUp) {
      std::string all = whole + frac;
      int i = static_cast<int>(all.size()) - 1;
      while (i >= 0 && all[static_cast<size_t>(i)] == '9')
        all[static_cast<size_t>(i--)] = '0';
      if (i >= 0)
        ++all[static_cast<size_t>(i)];
      else
        all.insert(all.begin(), '1');
      whole = all.substr(0, all.size() - frac.size());
      frac = all.substr(all.size() - frac.size());
    }
    const size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "0" : whole.substr(first);
  }
  if (whole == "0" && frac.find_first_not_of('0') == std::string::npos)
    negative = false;
  std::string out = negative ? "-" : "";
  out += whole;
  if (decimals > 0)
    out += "." + frac;
  return out;
}

bool encodeNumber(double v, int width, int decimals, char *out) {
  const std::string text = formatNumber(v, decimals);
  if (text.empty() || text.size() > static_cast<size_t>(width))
    return false;
  std::memset(out, ' ', static_cast<size_t>(width) - text.size());
  std::memcpy(out + (width - static_cast<int>(text.size())), text.data(), text.size());
  return true;
}

bool parseNumber(std::string_view text, double &out) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ')
    ++i;
  size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '+')
      start = i + 1;
    ++i;
  }
  size_t mantissaDigits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9')
    ++i, ++mantissaDigits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9')
      ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0)
    return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
      ++i;
    size_t expDigits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9')
      ++i, ++expDigits;
    if (expDigits == 0)
      return false;
  }
  if (i != n)
    return false;
  double v = 0;
  const auto r = std::from_chars(text.data() + start, text.data() + n, v);
  if (r.ec != std::errc() || r.ptr != text.data() + n)
    return false;
  out = v;
  return true;
}

bool decodeNumber(std::string_view field, double &out) {
  std::string_view t = trimRight(field);
  // Leading blanks are the alignment; the 31-character cut applies to the number.
  const size_t first = t.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    out = 0;
    return true;
  }
  t.remove_prefix(first);
  if (t.size() > 31)
    t = t.substr(0, 31);
  return parseNumber(t, out);
}

void encodeText(std::string_view value, int width, char *out) {
  const size_t w = static_cast<size_t>(width);
  const size_t n = std::min(value.size(), w);
  if (n > 0)
    std::memcpy(out, value.data(), n);
  std::memset(out + n, ' ', w - n);
}

std::string_view trimRight(std::string_view s) {
  const size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

void upperAscii(std::string &s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < s.size())
      ++i;
    else if (c >= 'a' && c <= 'z')
      s[i] = static_cast<char>(c - 32);
  }
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z')
      x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z')
      y = static_cast<char>(y - 32);
    if (x != y)
      return false;
  }
  return true;
}

}  // namespace dbf::format
