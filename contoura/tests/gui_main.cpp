// The widget tests' entry point: the program's own application object, so
// exceptions from event handlers take the same path as in the program.
#include "ui.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  calixo::CalixoApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
