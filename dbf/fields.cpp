// Field reads and writes on the record buffer of the current record.
#include "dbfimpl.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace dbf {

void TDbfDataSet::checkFieldAccess() const {
  checkActive();
  if (m_impl->busyCopying)
    throw EDatabaseError("Table is busy copying");
}

const FieldDef &TDbfDataSet::fieldFor(const std::string &field) const {
  const int i = m_impl->fieldIndex(field);
  if (i < 0)
    throw EDbfError(1003, m_impl->fullPath + "->" + field);
  return m_impl->layout.fields[static_cast<size_t>(i)];
}

namespace {

std::string_view fieldText(const std::vector<char> &buffer, const FieldDef &f) {
  return std::string_view(buffer.data() + f.offset, static_cast<size_t>(f.width));
}

// The number for the detail of an error when it does not fit.
std::string numberForMessage(double v, int decimals) {
  std::string text = format::formatNumber(v, decimals);
  if (text.empty()) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    text = buf;
  }
  return text;
}

void putNumber(std::vector<char> &buffer, const FieldDef &f, double v) {
  std::vector<char> text(static_cast<size_t>(f.width));
  if (!format::encodeNumber(v, f.width, f.decimals, text.data()))
    throw EDbfError(1011, f.name + " - " + numberForMessage(v, f.decimals));
  std::memcpy(buffer.data() + f.offset, text.data(), text.size());
}

}  // namespace

const FieldDef &TDbfDataSet::fieldAt(int index) const {
  const auto &fields = m_impl->layout.fields;
  if (index < 0 || static_cast<size_t>(index) >= fields.size())
    throw EDbfError(1003, m_impl->fullPath + "->#" + std::to_string(index + 1));
  return fields[static_cast<size_t>(index)];
}

double TDbfDataSet::FloatGet(const std::string &field) {
  checkFieldAccess();
  return numberOf(fieldFor(field));
}

double TDbfDataSet::FloatGetAt(int index) {
  checkFieldAccess();
  return numberOf(fieldAt(index));
}

double TDbfDataSet::numberOf(const FieldDef &f) const {
  if (!format::isNumericType(f.type))
    throw EDbfError(1004, f.name);
  const std::string_view text = fieldText(m_impl->buffer, f);
  double v = 0;
  if (!format::decodeNumber(text, v))
    throw EDbfError(1004, "Invalid number in field " + m_impl->baseName + "->" + f.name + " (" +
                              std::string(format::trimRight(text)) + ")");
  return v;
}

void TDbfDataSet::FloatPut(const std::string &field, double value) {
  checkFieldAccess();
  const FieldDef &f = fieldFor(field);
  if (!format::isNumericType(f.type))
    throw EDbfError(1004, f.name);
  putNumber(m_impl->buffer, f, value);
}

int32_t TDbfDataSet::IntegerGet(const std::string &field) {
  const double v = std::trunc(FloatGet(field));
  if (!(v >= -2147483648.0 && v <= 2147483647.0))
    throw std::range_error("Range check error");
  return static_cast<int32_t>(v);
}

void TDbfDataSet::IntegerPut(const std::string &field, int32_t value) { FloatPut(field, value); }

std::string TDbfDataSet::StringGet(const std::string &field) {
  checkFieldAccess();
  return textOf(fieldFor(field));
}

std::string TDbfDataSet::StringGetAt(int index) {
  checkFieldAccess();
  return textOf(fieldAt(index));
}

std::string TDbfDataSet::textOf(const FieldDef &f) const {
  std::string_view text = format::trimRight(fieldText(m_impl->buffer, f));
  if (text.empty() && format::isNumericType(f.type))
    return format::formatNumber(0, f.decimals);
  if (text.size() > 255)
    text = text.substr(0, 255);
  return std::string(text);
}

void TDbfDataSet::StringPut(const std::string &field, const std::string &value) {
  checkFieldAccess();
  if (m_state != State::Edit && m_state != State::Insert)
    throw EDatabaseError("Dataset not in edit or insert mode");
  const FieldDef &f = fieldFor(field);
  auto &buffer = m_impl->buffer;
  if (!format::isNumericType(f.type)) {
    format::encodeText(value, f.width, buffer.data() + f.offset);
    return;
  }
  const std::string_view text = format::trimRight(value);
  if (text.empty()) {
    // An empty text leaves the field blank, which reads as 0.
    std::memset(buffer.data() + f.offset, ' ', static_cast<size_t>(f.width));
    return;
  }
  double v = 0;
  if (!format::parseNumber(text, v))
    throw EDbfError(1004, "");
  putNumber(buffer, f, v);
}

}  // namespace dbf
