#include <gtest/gtest.h>

#include "components/register.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  quolvane::RegisterBuiltinComponents();
  return RUN_ALL_TESTS();
}
