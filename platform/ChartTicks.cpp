#include "platform/ChartTicks.h"

#include "platform/SystemText.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace {

std::string TickText(double value, int decimals, bool exponent, char separator)
{
    QString text = exponent ? QString::number(value, 'e', 2) : QString::number(value, 'f', decimals);
    std::string out = FromQ(text);
    std::replace(out.begin(), out.end(), '.', separator);
    return out;
}

} // namespace

std::vector<TChartTick> ChartTicks(double min, double max, int maxCount, char decimalSeparator)
{
    std::vector<TChartTick> ticks;
    if (!std::isfinite(min) || !std::isfinite(max) || !(max > min))
        return ticks;
    const double raw = (max - min) / std::max(maxCount, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double m : {1.0, 2.0, 5.0})
        if (m * magnitude >= raw * (1 - 1e-9)) {
            step = m * magnitude;
            break;
        }
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    const double largest = std::max(std::abs(min), std::abs(max));
    // Fixed notation unless the numbers would get unreadably long.
    const bool exponent = largest >= 1e7 || decimals > 6;
    const double first = std::ceil(min / step - 1e-9);
    const double last = std::floor(max / step + 1e-9);
    for (double k = first; k <= last && ticks.size() < 1000; k += 1) {
        double value = k * step;
        if (std::abs(value) < step * 1e-9)
            value = 0; // never "-0"
        ticks.push_back({value, TickText(value, decimals, exponent, decimalSeparator)});
    }
    return ticks;
}

void NiceBounds(double &min, double &max)
{
    if (max - min <= std::abs(max) * 1e-12) {
        const double pad = min == 0 ? 1.0 : std::abs(min) * 0.1;
        min -= pad;
        max += pad;
    }
    const std::vector<TChartTick> ticks = ChartTicks(min, max, 8, '.');
    if (ticks.size() < 2)
        return;
    const double step = ticks[1].Value - ticks[0].Value;
    min = std::floor(min / step + 1e-9) * step;
    max = std::ceil(max / step - 1e-9) * step;
}
