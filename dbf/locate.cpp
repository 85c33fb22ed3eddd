// Sequential search. The data area is read in large blocks and the fields
// are compared where they lie in the block, so a scan costs little more than
// reading the file. Records marked deleted are examined like any other.
#include "dbfimpl.h"

#include <charconv>
#include <cstring>

namespace dbf {
namespace {

constexpr size_t kScanBlock = 256 * 1024;

std::string keyText(const LocateKey &value) {
  if (const auto *s = std::get_if<std::string>(&value))
    return *s;
  // A floating-point value gives its plain decimal text: 36526, 0.5.
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::get<double>(value), std::chars_format::fixed);
  if (r.ec != std::errc())
    return {};
  return std::string(buf, r.ptr);
}

struct Matcher {
  const FieldDef *field;
  bool numeric;
};

inline char upperAt(const char *p, size_t i, bool &trail) {
  const auto c = static_cast<unsigned char>(p[i]);
  if (trail) {
    trail = false;
    return p[i];
  }
  if (c >= 0x81 && c <= 0xFE) {
    trail = true;
    return p[i];
  }
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : p[i];
}

class RecordTest {
public:
  RecordTest(const std::vector<Matcher> &matchers, std::string key, int options)
      : m_matchers(matchers), m_key(std::move(key)), m_caseless(options & loCaseInsensitive),
        m_partial(options & loPartialKey) {
    m_keyIsNumber = format::parseNumber(m_key, m_keyValue);
    if (m_caseless)
      format::upperAscii(m_key);
  }

  bool matches(const char *rec) const {
    for (const auto &m : m_matchers)
      if (m.numeric ? numberMatches(rec + m.field->offset, *m.field) : textMatches(rec + m.field->offset, *m.field))
        return true;
    return false;
  }

private:
  bool numberMatches(const char *p, const FieldDef &f) const {
    if (!m_keyIsNumber || cannotEqual(p, static_cast<size_t>(f.width)))
      return false;
    double v = 0;
    return format::decodeNumber(std::string_view(p, static_cast<size_t>(f.width)), v) && v == m_keyValue;
  }

  // Most fields of a scan differ from the key in their whole part; their
  // text need not be read as a number. A plain decimal text with whole part
  // w (at most 15 digits, so w is exact) reads as a value between w and w + 1.
  bool cannotEqual(const char *p, size_t width) const {
    size_t i = 0;
    while (i < width && p[i] == ' ')
      ++i;
    bool negative = false;
    if (i < width && (p[i] == '-' || p[i] == '+'))
      negative = p[i++] == '-';
    uint64_t whole = 0;
    int digits = 0;
    for (; i < width && p[i] >= '0' && p[i] <= '9'; ++i) {
      whole = whole * 10 + static_cast<uint64_t>(p[i] - '0');
      if (++digits > 15)
        return false;
    }
    for (size_t j = i; j < width; ++j)
      if (p[j] != '.' && p[j] != ' ' && (p[j] < '0' || p[j] > '9'))
        return false;  // an exponent or not a number: the full reading decides
    const double magnitude = m_keyValue < 0 ? -m_keyValue : m_keyValue;
    const double low = static_cast<double>(whole);
    if (magnitude < low || magnitude > low + 1)
      return true;
    return m_keyValue != 0 && (m_keyValue < 0) != negative;
  }

  bool textMatches(const char *p, const FieldDef &f) const {
    const size_t width = static_cast<size_t>(f.width);
    const size_t n = m_key.size();
    if (width < n)
      return false;
    if (m_caseless) {
      bool trail = false;
      for (size_t i = 0; i < n; ++i)
        if (upperAt(p, i, trail) != m_key[i])
          return false;
    } else if (n > 0 && std::memcmp(p, m_key.data(), n) != 0) {
      return false;
    }
    if (m_partial)
      return true;
    // Trailing blanks are not part of the text.
    for (size_t i = n; i < width; ++i)
      if (p[i] != ' ')
        return false;
    return true;
  }

  const std::vector<Matcher> &m_matchers;
  std::string m_key;
  bool m_caseless, m_partial;
  bool m_keyIsNumber = false;
  double m_keyValue = 0;
};

}  // namespace

bool TDbfDataSet::Locate(const std::string &field, const LocateKey &value, int options) {
  return locateFrom(field, value, 1, options);
}

bool TDbfDataSet::LocateNext(const std::string &field, const LocateKey &value, int afterRecNo, int options) {
  return locateFrom(field, value, afterRecNo < 0 ? 1 : static_cast<uint32_t>(afterRecNo) + 1, options);
}

bool TDbfDataSet::locateFrom(const std::string &field, const LocateKey &value, uint32_t first, int options) {
  checkActive();
  endPendingChange();
  followReplacement(false);
  Impl &d = *m_impl;
  if (d.count == 0 || first > d.count)
    return false;

  std::vector<Matcher> matchers;
  const int index = d.fieldIndex(field);
  for (size_t i = 0; i < d.layout.fields.size(); ++i)
    if (index < 0 || static_cast<size_t>(index) == i)
      matchers.push_back({&d.layout.fields[i], format::isNumericType(d.layout.fields[i].type)});
  const RecordTest test(matchers, keyText(value), options);

  const size_t recLen = d.layout.recordLength;
  const size_t perBlock = std::max<size_t>(1, kScanBlock / recLen);
  std::vector<char> block(perBlock * recLen);
  uint32_t found = 0;
  for (uint32_t n = first; n <= d.count && found == 0;) {
    const size_t want = std::min<size_t>(perBlock, d.count - n + 1);
    size_t got = 0;
    if (int e = d.file->readAt(d.recordOffset(n), block.data(), want * recLen, got))
      throwSystem(e, IoOp::Read, d.fullPath);
    const size_t whole = got / recLen;
    for (size_t i = 0; i < whole; ++i) {
      if (test.matches(block.data() + i * recLen)) {
        found = n + static_cast<uint32_t>(i);
        break;
      }
    }
    if (whole < want)
      break;
    n += static_cast<uint32_t>(want);
  }
  if (found == 0)
    return false;

  // A match marked deleted shows the next live record after it.
  const uint32_t live = d.findLive(found, +1);
  if (live == 0)
    throw EDatabaseError(m_name + ": Record not found");
  showRecord(live);
  d.bof = d.eof = false;
  return true;
}

}  // namespace dbf
