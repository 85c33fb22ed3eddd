#include "tablemessages.h"

#include "dbf.h"

namespace dbf::tablemessages {

std::string storeFailed(const char *what, const std::string &path, const std::exception &e) {
  const auto *d = dynamic_cast<const EDbfError *>(&e);
  const std::string reason = d && d->systemError() > 0 ? describeStoreFailure(e) : path + ": " + e.what();
  return std::string(what) + "没有保存。\n" + reason;
}

std::string storeFailedNotOpen(const char *what, const std::string &path) {
  return std::string(what) + "没有保存。\n" + path + ": 表没有打开";
}

std::string readOnly(const std::string &path) {
  return path + " 只能读取：表中的内容照常显示，修改无法保存。";
}

std::string damagedEnd(const std::string &path) {
  return path + " 的末尾已损坏：最后一条记录不完整，只显示完整的记录。";
}

}  // namespace dbf::tablemessages
