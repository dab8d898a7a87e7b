// SPDX-License-Identifier: GPL-3.0-or-later
// Source addresses as typed: any text is parsed or refused with a reason, and an address that
// parses reads back as itself from its plain form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/NetAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  orvane::TNetAddress a, again;
  std::string error;
  if (!orvane::ParseNetAddress(text, a, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (!orvane::ParseNetAddress(a.Text(), again, error) || again.Text() != a.Text()) std::abort();
  return 0;
}
