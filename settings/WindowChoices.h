// SPDX-License-Identifier: GPL-3.0-or-later
// What a user chose in the deviation and charts windows, kept from run to run in [Deviation] and
// [Charts], and the words each choice is stored as. The windows take these when they are made
// and keep them current as the user changes them; the settings load and save fill and write them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/ChartSeries.h"
#include "nmea/FixStats.h"

namespace orvane {

struct TDeviationChoices {
  TReference Reference;  // the last one that read
  char Quality = '\0';   // the one the user picked, kept while present; '\0': the best present
};
extern TDeviationChoices DeviationChoices;

// The charts window's spans, in the order its list offers them.
enum class TChartSpan { Minutes10, Hour, Run };

struct TChartsChoices {
  TChartSpan Span = TChartSpan::Minutes10;
  // Ticked, in the table's order; at first what a user looks at before choosing.
  std::vector<TChartQuantity> Series{TChartQuantity::Used, TChartQuantity::Hdop};
  bool operator==(const TChartsChoices&) const = default;
};
extern TChartsChoices ChartsChoices;

// "mean", "first" or "LAT,LON", as ParseReference reads it back.
std::string ReferenceWords(const TReference& ref);
// A quality the window can list (a GGA quality digit other than 0); nullopt for anything else.
std::optional<char> ParseQuality(std::string_view text);
// "10min", "hour" or "run".
const char* SpanWord(TChartSpan span);
std::optional<TChartSpan> ParseSpan(std::string_view text);
// The CSV column names, comma-separated ("used,hdop"); empty for none.
std::string SeriesWords(const std::vector<TChartQuantity>& series);
// The names in any order and spacing, each at most once, given back in the table's order; nullopt
// when one of them is no series.
std::optional<std::vector<TChartQuantity>> ParseSeries(std::string_view text);

}  // namespace orvane
