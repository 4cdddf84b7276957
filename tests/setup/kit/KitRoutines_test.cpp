#include "setup/kit/KitRoutines.h"

#include <gtest/gtest.h>

TEST(Placeholder, Builds) {
    EXPECT_EQ(setup::FieldCount("a;b;", ';'), 2);
}
