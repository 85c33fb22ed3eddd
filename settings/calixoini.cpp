#include "calixoini.h"

#include "filenames.h"
#include "filewrite.h"
#include "ini.h"
#include "switches.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string TCalixoini::ReadSetting(const std::string &section, const std::string &key) const {
  return calixo::ReadProfileString(section, key, "", FileName);
}

bool TCalixoini::LunarExtended() const { return SwitchOn("Lunar", "Extended"); }

bool TCalixoini::LunarFestivals() const { return SwitchOn("Lunar", "Festivals"); }

bool TCalixoini::SwitchOn(const std::string &section, const std::string &key) const {
  return calixo::SwitchFlagValue(ReadSetting(section, key));
}

int TCalixoini::SwitchNumber(const std::string &section, const std::string &key) const {
  const calixo::SwitchRow *row = calixo::FindSwitch(section, key);
  if (!row)
    return 0;
  return calixo::SwitchNumberValue(*row, ReadSetting(section, key));
}

std::string TCalixoini::SwitchText(const std::string &section, const std::string &key) const {
  return calixo::SwitchTextValue(ReadSetting(section, key));
}

bool TCalixoini::WriteDefaultSettings(std::string *why) const {
  if (calixo::fileExists(FileName))
    return true;
  auto fail = [&](const std::string &reason) {
    if (why) {
      std::string path = FileName;
      char dir[PATH_MAX];
      if (!path.empty() && path[0] != '/' && ::getcwd(dir, sizeof dir))
        path = std::string(dir) + "/" + path;
      *why = path + ": " + reason;
    }
    return false;
  };
  // Something that is not a file (a FIFO, a device, a folder) stands under
  // the name: it is never written to, and the settings read as empty.
  struct stat st{};
  if (::stat(calixo::resolveFileName(FileName).c_str(), &st) == 0)
    return fail("not a regular file (a device, FIFO or folder)");
  // O_EXCL: a file that appeared meanwhile is never replaced; the user's own
  // settings are only ever read.
  const int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0)
    return fail(std::strerror(errno));
  int err = calixo::writeAll(fd, DefaultTemplate());
  if (::close(fd) != 0 && err == 0)
    err = errno;
  // A half-written template would hide the rest of the keys until it is
  // deleted by hand; without it the next start simply tries again.
  if (err) {
    ::unlink(FileName.c_str());
    return fail(std::strerror(err));
  }
  return true;
}

const std::string &TCalixoini::DefaultTemplate() {
  // GBK bytes; the Chinese text of each comment line is given beside it.
  static const std::string text =
      "[Monthbmp]\r\n"
      ";\xB6\xA8\xD2\xE5\xC3\xBF\xD4\xC2\xB5\xC4\xCD\xBC\xC6\xAC\r\n"  // ;定义每月的图片
      "M1=\r\n"
      "M2=\r\n"
      "M3=\r\n"
      "M4=\r\n"
      "M5=\r\n"
      "M6=\r\n"
      "M7=\r\n"
      "M8=\r\n"
      "M9=\r\n"
      "M10=\r\n"
      "M11=\r\n"
      "M12=\r\n"
      "[Mainbutton]\r\n"
      ";\xD6\xF7\xB4\xB0\xBF\xDA\xB0\xB4\xC5\xA5\xCD\xBC\xC6\xAC\r\n"  // ;主窗口按钮图片
      ";\xC4\xD6\xD6\xD3\r\n"                                          // ;闹钟
      "B1=\r\n"
      ";\xC3\xEB\xB1\xED\r\n"  // ;秒表
      "B2=\r\n"
      ";\xBC\xC7\xCA\xC2\r\n"  // ;记事
      "B3=\r\n"
      ";\xC4\xEA\xB5\xF7\xD5\xFB \xD7\xF3 \xD3\xD2\r\n"  // ;年调整 左 右
      "B4L=\r\n"
      "B4R=\r\n"
      ";\xD4\xC2\xB5\xF7\xD5\xFB \xD7\xF3 \xD3\xD2\r\n"  // ;月调整 左 右
      "B5L=\r\n"
      "B5R=\r\n"
      ";\xB9\xD8\xB1\xD5\r\n"  // ;关闭
      "B6=\r\n"
      "[Clockbutton]\r\n"
      ";\xC4\xD6\xD6\xD3\xB0\xB4\xC5\xA5\r\n"     // ;闹钟按钮
      ";\xC9\xE8\xD6\xC3 \xC8\xA1\xCF\xFB\r\n"  // ;设置 取消
      "B1S=\r\n"
      "B1U=\r\n"
      ";\xD4\xCB\xD0\xD0 \xC9\xE8\xD6\xC3 \xC8\xA1\xCF\xFB\r\n"  // ;运行 设置 取消
      "B2S=\r\n"
      "B2U=\r\n"
      "[Notebutton]\r\n"
      ";\xBC\xC7\xCA\xC2\xB1\xBE\xB0\xB4\xC5\xA5\r\n"  // ;记事本按钮
      ";\xCC\xED\xBC\xD3 \xC9\xBE\xB3\xFD\r\n"          // ;添加 删除
      "B1S=\r\n"
      "B1U=\r\n";
  return text;
}
