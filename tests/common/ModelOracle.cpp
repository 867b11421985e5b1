#include "tests/common/ModelOracle.h"

#include <cmath>

double SOf(double Da, double Bo)
{
    const double a = std::sqrt(1 + 4 * Da / Bo);
    return std::log((1 + a) * (1 + a) * std::exp((a - 1) * Bo / 2) - (1 - a) * (1 - a) * std::exp(-(1 + a) * Bo / 2)) -
           std::log(4 * a);
}

double BoOf(double Da, double S, double Lo, double Hi)
{
    for (int i = 0; i < 200 && Lo < Hi; ++i) {
        const double mid = Lo + (Hi - Lo) / 2;
        if (mid == Lo || mid == Hi)
            break;
        (SOf(Da, mid) < S ? Lo : Hi) = mid;
    }
    return Hi;
}

double STanksOf(double n, double Da) { return n * std::log1p(Da / n); }
double BoOfCells(double n) { return (n - 1) + std::sqrt(n * n + n - 2); }
