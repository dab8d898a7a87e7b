// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/CommandList.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/ReplaceFile.h"
#include "common/TextHelpers.h"
#include "settings/Settings.h"

namespace orvane {
std::vector<TNamedCommand> ParseCommandList(std::string_view text) {
  std::vector<TNamedCommand> list;
  std::string group, note;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) {
      note.clear();
    } else if (line.front() == ';' || line.front() == '#') {
      if (!note.empty()) note += ' ';
      note += TrimBlanks(line.substr(1));
    } else if (line.front() == '[' && line.back() == ']') {
      group = TrimBlanks(line.substr(1, line.size() - 2));
      note.clear();
    } else if (const size_t eq = line.find('='); eq != std::string_view::npos) {
      const std::string_view name = TrimBlanks(line.substr(0, eq)), sentence = TrimBlanks(line.substr(eq + 1));
      if (!name.empty() && !sentence.empty())
        list.push_back({group, std::string(name), std::string(sentence), std::move(note)});
      note.clear();
    }
  }
  return list;
}

std::string DefaultCommandList() {
  return "; Commands the console offers: NAME=SENTENCE, grouped under [headings]. The comment lines\n"
         "; just above a command say what it does. The sentence is sent as typed on the console:\n"
         "; \"$\" and the checksum are added. Edit freely; the console reads this file when it opens.\n"
         "\n"
         "[MediaTek]\n"
         "; One fix a second (the time between fixes in milliseconds).\n"
         "1 fix a second=PMTK220,1000\n"
         "; Five fixes a second; raise the line speed first, or the sentences will not fit.\n"
         "5 fixes a second=PMTK220,200\n"
         "; RMC, GGA and GSA with every fix, GSV every fifth, nothing else.\n"
         "RMC GGA GSA, GSV every 5th=PMTK314,0,1,0,1,1,5,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
         "; Back to the sentences the receiver sends from the factory.\n"
         "Default sentences=PMTK314,-1\n"
         "; Asks for the firmware release; the answer is a $PMTK705 sentence.\n"
         "Firmware release=PMTK605\n"
         "\n"
         "[u-blox]\n"
         "; GSV on the first serial port with every fix (PUBX,40,type,DDC,UART1,UART2,USB,SPI,0).\n"
         "GSV on=PUBX,40,GSV,0,1,0,0,0,0\n"
         "; No GSV on the first serial port.\n"
         "GSV off=PUBX,40,GSV,0,0,0,0,0,0\n"
         "; No GLL on the first serial port.\n"
         "GLL off=PUBX,40,GLL,0,0,0,0,0,0\n"
         "; GGA on the first serial port every fifth fix.\n"
         "GGA every 5th fix=PUBX,40,GGA,0,5,0,0,0,0\n"
         "; Asks for the position report; the answer is a $PUBX,00 sentence.\n"
         "Position report=PUBX,00\n"
         "\n"
         "[SiRF]\n"
         "; GGA once a second (PSRF103,message,0 for a rate,seconds,checksum on).\n"
         "GGA every second=PSRF103,00,00,01,01\n"
         "; RMC once a second.\n"
         "RMC every second=PSRF103,04,00,01,01\n"
         "; No GSV.\n"
         "GSV off=PSRF103,03,00,00,01\n";
}

std::string CommandListFileName() {
  const std::string settings = SettingsFileName();
  const size_t slash = settings.rfind('/');
  return (slash == std::string::npos ? std::string() : settings.substr(0, slash + 1)) + kCommandListName;
}

std::vector<TNamedCommand> LoadCommandList(std::string& error) {
  error.clear();
  const std::string name = CommandListFileName();
  std::ifstream in(name, std::ios::binary);
  if (in) {
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.bad()) return ParseCommandList(text);
    error = "Cannot read \"" + name + "\": " + std::strerror(errno);
    return ParseCommandList(DefaultCommandList());
  }
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0) {
    error = "Cannot read \"" + name + "\": " + std::strerror(EACCES);
    return ParseCommandList(DefaultCommandList());
  }
  try {
    // The settings folder of a first run is made by the first save; the list may come first.
    const size_t slash = name.rfind('/');
    std::error_code ignored;
    if (slash != std::string::npos && slash > 0) std::filesystem::create_directories(name.substr(0, slash), ignored);
    ReplaceFile(name, DefaultCommandList());
  } catch (const EFileWriteError& e) {
    error = e.what();
  }
  return ParseCommandList(DefaultCommandList());
}

}  // namespace orvane
