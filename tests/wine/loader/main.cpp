#include <gtest/gtest.h>

#include "imagectl/TMultiP.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterImageControl();
  return RUN_ALL_TESTS();
}
