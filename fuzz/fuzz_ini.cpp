// SPDX-License-Identifier: GPL-3.0-or-later
// The INI reader on any file content: lookups, section lists, and a write that must keep every
// other byte of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  orvane::TIniText ini(text);
  if (ini.Text() != text) std::abort();

  std::string value;
  for (const char* section : {"Settings", "Track", "METADEF", "Ports", "Bounds"}) {
    for (const char* key : {"ComPort", "CenterB", "SatVForm.Bounds", "COM1"})
      if (ini.Find(section, key, value) && value.size() > orvane::kIniValueMax) std::abort();
    ini.SectionValues(section);
  }
  for (const std::string& name : ini.SectionNames()) ini.SectionValues(name);

  ini.Set("Settings", "ComPort", "7");
  if (!ini.Find("Settings", "ComPort", value) || value != "7") std::abort();
  // A second write of the same value changes nothing.
  const std::string once = ini.Text();
  ini.Set("Settings", "ComPort", "7");
  if (ini.Text() != once) std::abort();
  return 0;
}
