#include "dbfimpl.h"

#include <cerrno>
#include <cstring>

namespace dbf {

EDbfError::EDbfError(int code, const std::string &detail, int systemError)
    : std::runtime_error(textFor(code) + " - " + detail),
      m_code(code),
      m_detail(detail),
      m_systemError(systemError) {}

std::string describeStoreFailure(const std::exception &e) {
  if (const auto *d = dynamic_cast<const EDbfError *>(&e)) {
    if (d->systemError() > 0)
      return d->detail() + ": " + std::strerror(d->systemError());
    if (d->code() < 1000 && !d->detail().empty())
      return d->detail() + ": " + EDbfError::textFor(d->code());
  }
  return e.what();
}

std::string EDbfError::textFor(int code, int subCode) {
  switch (code) {
  case 2: return "File not found";
  case 3: return "Path not found";
  case 4: return "Too many open files";
  case 5: return "File access denied";
  case 12: return "Invalid file access code";
  case 15: return "Invalid drive number";
  case 32: return "File access denied";
  case 33: return "Record locked by another user";
  case 100: return "Disk read error";
  case 101: return "Disk write error";
  case 102: return "File not assigned";
  case 103: return "File not open";
  case 104: return "File not open for input";
  case 105: return "File not open for output";
  case 106: return "Invalid numeric format";
  case 150: return "Disk is write-protected";
  case 152: return "Drive not ready";
  case 162: return "Hardware failure";
  case 183: return "File already exists";
  case 1001: return "dBase DBF file header invalid";
  case 1002: return "dBase record request beyond EOF";
  case 1003: return "dBase field name is invalid";
  case 1004: return "dBase field is of incorrect type";
  case 1005: return "dBase memo record has format error";
  case 1006: return "Formula expression cannot be translated";
  case 1011: return "Number too large to fit in field";
  default: return "Dbf Error " + std::to_string(code) + ", SubCode " + std::to_string(subCode);
  }
}

int systemCode(int err, IoOp op) {
  switch (err) {
  case ENOENT: return 2;
  case ENOTDIR:
  case ENAMETOOLONG: return 3;
  case EMFILE:
  case ENFILE: return 4;
  case EACCES:
  case EPERM:
  case EISDIR: return 5;
  case EROFS: return 150;
  case EEXIST: return 183;
  case EAGAIN: return 33;
  default: break;
  }
  switch (op) {
  case IoOp::Read: return 100;
  case IoOp::Write: return 101;
  case IoOp::Lock: return 33;
  case IoOp::Open: return 5;
  }
  return 101;
}

void throwSystem(int err, IoOp op, const std::string &path) {
  if (err == kErrNotRegular)
    throw EDatabaseError("Cannot open file " + path + ": it is a device or FIFO, not a table file");
  if (err == kErrDanglingLink)
    throw EDatabaseError("Cannot create file " + path +
                         ": it is a link to a file that does not exist");
  throw EDbfError(systemCode(err, op), path, err > 0 ? err : 0);
}

}  // namespace dbf
