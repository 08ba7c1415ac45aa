#include "formula/Coefficients.h"

#include <gtest/gtest.h>

using namespace korvex::formula;

TEST(LastDigitCorrection, LeavesAnExactSumAndMovesOneThousandthOtherwiseWhateverTheRows) {
    std::vector<Thousandths> exact{500, 300, 200};
    EXPECT_FALSE(correctLastDigit(exact).applied());
    EXPECT_EQ(exact, (std::vector<Thousandths>{500, 300, 200}));

    // 0.999: the first of the smallest coefficients is raised.
    std::vector<Thousandths> low{333, 333, 333};
    const Correction up = correctLastDigit(low);
    EXPECT_EQ(up.row, 0);
    EXPECT_EQ(up.delta, 1);
    EXPECT_EQ(low, (std::vector<Thousandths>{334, 333, 333}));

    // 1.002: one correction only, on the first of the largest, leaving 1.001.
    std::vector<Thousandths> high{300, 351, 351};
    const Correction down = correctLastDigit(high);
    EXPECT_EQ(down.row, 1);
    EXPECT_EQ(high, (std::vector<Thousandths>{300, 350, 351}));
    EXPECT_EQ(sum(high), 1001);

    // A zero coefficient is the smallest below 1.000 and takes the thousandth.
    std::vector<Thousandths> withZero{600, 0, 399};
    EXPECT_EQ(correctLastDigit(withZero).row, 1);
    EXPECT_EQ(withZero[1], 1);

    std::vector<Thousandths> none;
    EXPECT_FALSE(correctLastDigit(none).applied());
    std::vector<Thousandths> negative{1000, -5};
    EXPECT_EQ(correctLastDigit(negative).row, 1);
    std::vector<Thousandths> allAtOne{1000};
    EXPECT_FALSE(correctLastDigit(allAtOne).applied());
}
