// What both benchmarks measure with: timing, generated text, child runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

double Seconds(const std::function<void()> &work);
double Median(std::vector<double> values);
// The median of the ratios of runs made side by side (a[i] / b[i]): unlike
// the ratio of two medians, which may come from repetitions far apart, it
// compares each run with the one made in the same repetition.
double RatioMedian(const std::vector<double> &a, const std::vector<double> &b);
// Their quartiles, as "1.02-1.15": how far one repetition's ratio strays
// from the next.
std::string RatioQuartiles(const std::vector<double> &a, const std::vector<double> &b);

// Text of short lines, 40 to 80 bytes each, ending in the given break.
std::string Text(size_t size, const char *lineBreak, unsigned seed);
void SaveFile(const std::string &path, const std::string &bytes);

// A fresh process running args to its end: its time.
double RunChild(const std::vector<std::string> &args);

// The peak memory of a fresh process running args, as it tells it with
// TellPeak before it ends: Wine keeps no figures of a process that ended.
long ChildPeakKiB(const std::vector<std::string> &args);
void TellPeak();
