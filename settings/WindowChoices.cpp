// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/WindowChoices.h"

#include <algorithm>
#include <array>

#include "common/HostConv.h"
#include "common/TextHelpers.h"

namespace orvane {

TDeviationChoices DeviationChoices;
TChartsChoices ChartsChoices;

namespace {

constexpr std::array<std::pair<TChartSpan, const char*>, 3> kSpanWords{
    {{TChartSpan::Minutes10, "10min"}, {TChartSpan::Hour, "hour"}, {TChartSpan::Run, "run"}}};

}  // namespace

std::string ReferenceWords(const TReference& ref) {
  switch (ref.Kind) {
    case TReferenceKind::Mean:
      return "mean";
    case TReferenceKind::First:
      return "first";
    case TReferenceKind::Given:
      break;
  }
  return FormatPlain(ref.Lat) + "," + FormatPlain(ref.Lon);
}

std::optional<char> ParseQuality(std::string_view text) {
  text = TrimBlanks(text);
  if (text.size() != 1 ||
      std::find(std::begin(kQualityOrder), std::end(kQualityOrder), text[0]) == std::end(kQualityOrder))
    return std::nullopt;
  return text[0];
}

const char* SpanWord(TChartSpan span) {
  for (const auto& [s, word] : kSpanWords)
    if (s == span) return word;
  return kSpanWords[0].second;
}

std::optional<TChartSpan> ParseSpan(std::string_view text) {
  text = TrimBlanks(text);
  for (const auto& [s, word] : kSpanWords)
    if (text == word) return s;
  return std::nullopt;
}

std::string SeriesWords(const std::vector<TChartQuantity>& series) {
  std::string out;
  for (const TChartQuantity q : series)
    out += (out.empty() ? "" : ",") + std::string(kChartQuantityNames[static_cast<size_t>(q)].Column);
  return out;
}

std::optional<std::vector<TChartQuantity>> ParseSeries(std::string_view text) {
  std::array<bool, kChartQuantities> ticked{};
  while (!TrimBlanks(text).empty()) {
    const size_t comma = text.find(',');
    const std::string_view name = TrimBlanks(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (name.empty()) continue;  // a doubled or trailing comma of a hand edit
    const auto* n = std::find_if(kChartQuantityNames.begin(), kChartQuantityNames.end(),
                                 [name](const TChartQuantityName& q) { return name == q.Column; });
    if (n == kChartQuantityNames.end()) return std::nullopt;
    ticked[static_cast<size_t>(n - kChartQuantityNames.begin())] = true;
  }
  std::vector<TChartQuantity> out;
  for (size_t i = 0; i < kChartQuantities; ++i)
    if (ticked[i]) out.push_back(kChartQuantityNames[i].Quantity);
  return out;
}

}  // namespace orvane
