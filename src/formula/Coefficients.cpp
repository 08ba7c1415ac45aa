#include "formula/Coefficients.h"

#include <cmath>
#include <numeric>

namespace korvex::formula {

Thousandths toThousandths(double value) {
    return std::llround(value * 1000.0);
}
Cents toCents(double value) {
    return std::llround(value * 100.0);
}
double fromThousandths(Thousandths value) {
    return static_cast<double>(value) / 1000.0;
}
double fromCents(Cents value) {
    return static_cast<double>(value) / 100.0;
}

Thousandths sum(const std::vector<Thousandths>& values) {
    return std::accumulate(values.begin(), values.end(), Thousandths{0});
}

namespace {

int firstLargest(const std::vector<Thousandths>& values) {
    int row = -1;
    Thousandths largest = 0;
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        if (values[i] > largest) {
            largest = values[i];
            row = i;
        }
    }
    return row;
}

int firstSmallestBelowOne(const std::vector<Thousandths>& values) {
    int row = -1;
    Thousandths smallest = kOne;
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        if (values[i] < smallest) {
            smallest = values[i];
            row = i;
        }
    }
    return row;
}

} // namespace

Correction correctLastDigit(std::vector<Thousandths>& coefficients) {
    const Thousandths total = sum(coefficients);
    Correction correction;
    if (total > kOne) {
        correction = {firstLargest(coefficients), -1};
    } else if (total < kOne) {
        correction = {firstSmallestBelowOne(coefficients), +1};
    }
    if (correction.applied())
        coefficients[correction.row] += correction.delta;
    else
        correction.delta = 0;
    return correction;
}

Correction correctOnLargest(std::vector<Thousandths>& coefficients) {
    const Thousandths total = sum(coefficients);
    Correction correction;
    if (total == 0 || total == kOne)
        return correction;
    correction = {firstLargest(coefficients), static_cast<int>(kOne - total)};
    coefficients[correction.row] += correction.delta;
    return correction;
}

} // namespace korvex::formula
