#pragma once
// Coefficients of the price-adjustment formula and of the crew are shares of a total shown with three
// decimals. They are held here as whole thousandths so that sums and the last-digit correction are
// exact and a sum of 1.000 is never missed by a floating-point hair.

#include <QString>
#include <cstdint>
#include <vector>

namespace korvex::formula {

using Thousandths = std::int64_t;
using Cents = std::int64_t;

inline constexpr Thousandths kOne = 1000; // 1.000

Thousandths toThousandths(double value); // nearest whole thousandth of value
Cents toCents(double value);             // nearest whole cent of value
double fromThousandths(Thousandths value);
double fromCents(Cents value);

// What the last-digit correction did: nothing (row < 0), or +1 / -1 thousandth on one row.
struct Correction {
    int row = -1;
    int delta = 0;
    bool applied() const { return row >= 0; }
};

// Brings the coefficients one thousandth towards a sum of 1.000, once: a sum above 1.000 takes one
// thousandth off the first of the largest coefficients, a sum below 1.000 adds one to the first of
// the smallest coefficients below 1.000. A sum of exactly 1.000 is left alone. The rows are changed
// in place; the return value says which row moved.
Correction correctLastDigit(std::vector<Thousandths>& coefficients);

// Brings the coefficients to a sum of exactly 1.000 by putting the whole residual, whatever its
// size, on the first of the largest coefficients, so that a printed column of them adds up to
// 1.000. Coefficients that add up to nothing (no base to share) are left alone.
Correction correctOnLargest(std::vector<Thousandths>& coefficients);

Thousandths sum(const std::vector<Thousandths>& values);

// The text beside lblTotCoeficiente when the coefficients do not add up.
inline constexpr const char* kSumaNoEsUno = "La suma de coeficientes no es 1.000";

} // namespace korvex::formula
