// The entry point of every widget test: the tests run inside the program's
// own application object, so exceptions from event handlers take the same
// path as in the program. The object lives in main rather than in a static,
// so it outlives every window and dies before Qt's own statics.
#include "ui.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  calixo::CalixoApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
