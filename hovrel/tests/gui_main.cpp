// A test main that runs every test inside the program's application object.
#include "ui.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  calixo::CalixoApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
