#include "buttonpictures.h"
#include "calixoini.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>

using calixo::builtinButtonPicture;
using calixo::buttonPicture;

namespace {

class ButtonPictures : public TempDirTest {};

TEST_F(ButtonPictures, EachKeyReadsItsOwnValue) {
  // Every key gets a distinct value, so a row wired to the wrong key shows.
  std::ofstream("Calixo.ini", std::ios::binary)
      << "[Mainbutton]\r\nB1=b1\r\nB2=b2\r\nB3=b3\r\nb4L=b4l\r\nB4R=b4r\r\nB5L=b5l\r\nb5r=b5r\r\nB6=b6\r\n"
         "[Clockbutton]\r\nB1S=c1s\r\nB1U=c1u\r\nB2S=c2s\r\nB2U=c2u\r\n"
         "[Notebutton]\r\nB1S=n1s\r\nB1U=n1u\r\n";
  const TCalixoini ini;
  struct {
    const char *section, *key, *file, *resource;
  } rows[] = {
      {"Mainbutton", "b1", "b1", ":/bmp/BMPBUTRED.bmp"},
      {"Mainbutton", "b2", "b2", ":/bmp/BMPBUTBLUE.bmp"},
      {"Mainbutton", "b3", "b3", ":/bmp/BMPBUTGREEN.bmp"},
      {"Mainbutton", "b4L", "b4l", ":/bmp/BMPLAST.bmp"},
      {"Mainbutton", "b4R", "b4r", ":/bmp/BMPNEXT.bmp"},
      {"Mainbutton", "b5L", "b5l", ":/bmp/BMPLAST.bmp"},
      {"Mainbutton", "b5R", "b5r", ":/bmp/BMPNEXT.bmp"},
      {"Mainbutton", "b6", "b6", ":/bmp/BMPBUTCLOSE.bmp"},
      {"Clockbutton", "b1S", "c1s", ":/bmp/BMPBUTSGREEN.bmp"},
      {"Clockbutton", "b1U", "c1u", ":/bmp/BMPBUTSRED.bmp"},
      {"Clockbutton", "b2S", "c2s", ":/bmp/BMPBUTSGREEN.bmp"},
      {"Clockbutton", "b2U", "c2u", ":/bmp/BMPBUTSRED.bmp"},
      {"Notebutton", "b1S", "n1s", ":/bmp/BMPBUTSBLUE.bmp"},
      {"Notebutton", "b1U", "n1u", ":/bmp/BMPBUTSRED.bmp"},
  };
  for (const auto &r : rows) {
    const calixo::SButtonPicture p = buttonPicture(ini, r.section, r.key);
    EXPECT_EQ(p.File, r.file) << r.section << "/" << r.key;
    EXPECT_EQ(p.Resource, r.resource) << r.section << "/" << r.key;
  }
}

TEST_F(ButtonPictures, MissingSettingsGiveTheBuiltInPicture) {
  const TCalixoini ini;
  const calixo::SButtonPicture p = buttonPicture(ini, "Notebutton", "b1U");
  EXPECT_EQ(p.File, "");
  EXPECT_EQ(p.Resource, ":/bmp/BMPBUTSRED.bmp");
}

TEST(BuiltinButtonPicture, UnknownPairsHaveNone) {
  EXPECT_EQ(builtinButtonPicture("Notebutton", "B2S"), "");
  EXPECT_EQ(builtinButtonPicture("Monthbmp", "M1"), "");
  EXPECT_EQ(builtinButtonPicture("Mainbutton", "B"), "");
  EXPECT_EQ(builtinButtonPicture("Mainbutton", "B12"), "");
  EXPECT_EQ(builtinButtonPicture("", ""), "");
}

}  // namespace
