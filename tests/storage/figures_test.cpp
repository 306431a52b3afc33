// Decimal commas of a server's figures become the point the host's
// figures use; everything else passes unchanged (a plain comma and a point
// through the parsers: storage_parsers_test.cpp).
#include "storage/Figures.h"

#include <gtest/gtest.h>

TEST(Figures, DecimalCommaBecomesAPoint) {
  const std::pair<const char*, const char*> cases[] = {
      {"-1,5", "-1.5"}, {"1,234,567", "1,234,567"}, {"5,", "5,"}, {"a,5", "a,5"}};
  for (const auto& [in, out] : cases) EXPECT_EQ(WithDecimalPoint(in), out) << in;
}
