#include <gtest/gtest.h>
#include "fileops/core/fileops_core.h"
using namespace quintar::fileops;
TEST(Rules, Placeholder) { EXPECT_TRUE(IsValidName(u"a")); }
