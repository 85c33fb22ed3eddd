#include "gbk.h"

#include <cerrno>
#include <iconv.h>

namespace calixo {

namespace {
// iconv is stateless for these encodings; one descriptor per call keeps the
// functions safe to call from anywhere.
class Iconv {
public:
  Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (m_cd != reinterpret_cast<iconv_t>(-1))
      iconv_close(m_cd);
  }
  Iconv(const Iconv &) = delete;
  Iconv &operator=(const Iconv &) = delete;
  bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as possible; returns false at the first byte it cannot
  // convert, leaving in pointing at it.
  bool convert(const char *&in, size_t &inLeft, std::string &out) {
    char buf[512];
    while (inLeft > 0) {
      char *o = buf;
      size_t oLeft = sizeof buf;
      size_t r = iconv(m_cd, const_cast<char **>(&in), &inLeft, &o, &oLeft);
      out.append(buf, static_cast<size_t>(o - buf));
      if (r == static_cast<size_t>(-1) && errno != E2BIG)
        return false;
    }
    return true;
  }

private:
  iconv_t m_cd;
};
}  // namespace

bool utf8ToGbk(std::string_view utf8, std::string &out) {
  out.clear();
  Iconv cd("GBK", "UTF-8");
  if (!cd.ok())
    return false;
  const char *in = utf8.data();
  size_t left = utf8.size();
  return cd.convert(in, left, out);
}

std::string gbkToUtf8(std::string_view gbk) {
  std::string out;
  Iconv cd("UTF-8", "GBK");
  if (!cd.ok())
    return out;
  const char *in = gbk.data();
  size_t left = gbk.size();
  while (!cd.convert(in, left, out)) {
    out += "\xEF\xBF\xBD";
    // Skip one byte, or the whole pair when a lead byte has a trail byte.
    const auto lead = static_cast<unsigned char>(*in);
    const size_t skip = (lead >= 0x81 && lead <= 0xFE && left >= 2) ? 2 : 1;
    in += skip;
    left -= skip;
  }
  return out;
}

std::string_view cutGbk(std::string_view gbk, size_t maxBytes) {
  if (gbk.size() <= maxBytes)
    return gbk;
  size_t i = 0;
  while (i < maxBytes) {
    const auto c = static_cast<unsigned char>(gbk[i]);
    const size_t len = (c >= 0x81 && c <= 0xFE && i + 1 < gbk.size()) ? 2 : 1;
    if (i + len > maxBytes)
      break;
    i += len;
  }
  return gbk.substr(0, i);
}

}  // namespace calixo
