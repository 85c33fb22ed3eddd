// The bytes of a table file: header, field descriptors and the text forms of
// numeric and character values. No I/O state; the dataset and CreateTable
// build on these.
#pragma once

#include "dbf.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dbf::format {

constexpr uint8_t kHeaderEnd = 0x0D;
constexpr uint8_t kEndOfFile = 0x1A;
constexpr uint8_t kLive = 0x20;
constexpr uint8_t kDeleted = 0x2A;
constexpr size_t kHeaderSize = 32;
constexpr size_t kDescriptorSize = 32;

using HeaderBytes = std::array<uint8_t, kHeaderSize>;

struct Layout {
  uint8_t version = 0x03;
  uint32_t headerLength = 0;
  uint32_t recordLength = 0;
  uint8_t flags = 0;  // bits 0x01, 0x02, 0x04 of the flags byte
  uint32_t changeStamp = 0;
  std::vector<FieldDef> fields;
};

uint16_t get16(const uint8_t *p);
uint32_t get32(const uint8_t *p);
void put16(uint8_t *p, uint16_t v);
void put32(uint8_t *p, uint32_t v);

bool acceptedVersion(uint8_t version);
// How many descriptors a header of this version and length holds (0 for a
// table without fields); -1 when the length cannot hold even the terminator.
int descriptorCount(uint8_t version, uint32_t headerLength);
// Reads the layout from the header and the descriptor bytes that follow it
// (descriptors.size() == 32 * descriptorCount). nullopt when the header
// cannot describe a table that fits the file of that size.
std::optional<Layout> parseLayout(const HeaderBytes &header, const std::vector<uint8_t> &descriptors,
                                  uint64_t fileSize);
// Records in a file of that size: only whole records count. lastByte is the
// file's last byte: a record of one byte is its deletion flag alone, so an
// end-of-file marker behind the last record would pass for one more.
uint32_t recordCountFor(const Layout &layout, uint64_t fileSize, uint8_t lastByte = 0);
// True when recordCountFor needs the file's last byte.
bool countNeedsLastByte(const Layout &layout, uint64_t fileSize);

// A field as CreateTable stores it: name cut to 10 and upper-cased, type
// upper-cased, width and decimals by type. False for a type or width the
// format cannot hold.
bool normalizeField(FieldDef &def);
bool isMemoType(char type);
bool isNumericType(char type);
// The whole new file: header (today's date), descriptors, 0x0D, 0x1A.
std::vector<uint8_t> buildEmptyTable(uint8_t version, std::vector<FieldDef> &fields);
// Today's date and the change stamp of the current local time into a header.
void stampHeader(HeaderBytes &header, uint32_t recordCount, uint32_t userId, uint8_t flags);

// Fixed-point text of v with that many decimals: at most 18 significant
// digits, the rest zeros, rounded half up at the last decimal. Empty for
// NaN and infinities.
std::string formatNumber(double v, int decimals);
// v formatted and right-aligned into width bytes; false (out unchanged) when it does not fit.
bool encodeNumber(double v, int width, int decimals, char *out);
// Decimal text (leading blanks, sign, fraction, exponent); false for anything else.
bool parseNumber(std::string_view text, double &out);
// The numeric field text as a value: trailing blanks dropped, first 31
// characters, all-blank is 0. False when the text is not a number.
bool decodeNumber(std::string_view field, double &out);
// Bytes cut to width, left-aligned, blank-padded.
void encodeText(std::string_view value, int width, char *out);
std::string_view trimRight(std::string_view s);
// ASCII letters upper-cased, leaving both bytes of a GBK character alone.
void upperAscii(std::string &s);
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace dbf::format
