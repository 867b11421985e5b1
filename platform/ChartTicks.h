#pragma once
// The scale of a chart axis: round tick values and their labels, and the
// padded range of the data that ends on such values.
#include <string>
#include <vector>

struct TChartTick {
    double Value;
    std::string Text;
};
// Round tick values (1, 2 or 5 times a power of ten) within [min, max], at
// most about maxCount of them, labelled with the given decimal separator.
std::vector<TChartTick> ChartTicks(double min, double max, int maxCount, char decimalSeparator);

// Widens [min, max] to round tick values; an empty range is padded first.
void NiceBounds(double &min, double &max);
