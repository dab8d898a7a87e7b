// SPDX-License-Identifier: GPL-3.0-or-later
// The Digital Map 2500 area with any text as its pntatr.txt: no crash, no hang, and a layer that
// still hangs together and draws.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/KddFuzzArea.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kddfuzz::LoadAndDraw({{"pntatr.txt", std::string(reinterpret_cast<const char*>(data), size)}});
  return 0;
}
