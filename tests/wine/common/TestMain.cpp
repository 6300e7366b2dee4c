#include <gtest/gtest.h>

#include "imagectl/TMultiP.h"
#include "toolkit/StdCtrls.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  tk::RegisterStandardControls();
  RegisterImageControl();
  return RUN_ALL_TESTS();
}
