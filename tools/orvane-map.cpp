// SPDX-License-Identifier: GPL-3.0-or-later
// The map layers without the program: what a map file holds (info), the track window's drawing of
// a settings file's layers as a PNG (render), and the plane rectangular conversion (plane). Every
// reader, the drawing and the settings are the program's own, so what this shows is what the
// program shows. Each verb lives in its own file.
#include "tools/orvane-map.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "maps/MapFile.h"
#include "settings/Settings.h"
#include "tools/ToolArgs.h"
#include "track/LayerKinds.h"

namespace orvane::maptool {
namespace {

const char* const kHelpText =
    "Usage: orvane-map info [--kind KIND] [--settings FILE] PATH...\n"
    "       orvane-map render --settings FILE (--view WEST,SOUTH,EAST,NORTH | --center LAT,LON --zoom Z)\n"
    "                         [--size WxH] [--world] -o OUT.png\n"
    "       orvane-map plane ZONE X Y\n"
    "       orvane-map plane --inverse ZONE LAT LON\n"
    "\n"
    "info     describes each map file: its kind, record and vertex counts, extent in decimal\n"
    "         degrees, datum, and with --settings the [METADEF] styles that apply. The kind comes\n"
    "         from the name (a folder is a Digital Map 2500 area, *.000 a chart cell, N01/N03/C23\n"
    "         line files, P02 point files, *.WPT/*.TRK/*.GPX and picture files by extension) and\n"
    "         otherwise from the content; --kind KINDS\n"
    "         sets it. A chart is converted by the marlisk beside this program or on PATH.\n"
    "render   draws the layers FILE configures as the track window does (background, bitmap,\n"
    "         every layer in the window's order, the grid and its labels) into a PNG.\n"
    "         --center LAT,LON and --zoom Z (1 to 17) give exactly the window's view at that\n"
    "         centre and zoom; --view picks the highest zoom whose view holds the box (zoom 1 when\n"
    "         none does), centred on the box. Degrees are decimal, in the map datum. The size\n"
    "         defaults to the track window's, 485x305. QT_QPA_PLATFORM defaults to offscreen.\n"
    "         The zoom and the view box drawn go to standard error; --world also writes a world\n"
    "         file beside the PNG (OUT.pgw).\n"
    "plane    plane rectangular X (north) and Y (east) in metres of ZONE (1 to 19) to latitude and\n"
    "         longitude in degrees on the Bessel ellipsoid; --inverse the other way.\n"
    "\n"
    "Exit status: 0 done, 1 a file or value could not be used, 2 a wrong command line.\n";

// The kinds are the layer table's.
std::string Help() {
  std::string help = kHelpText;
  const size_t at = help.find("KINDS");
  return help.replace(at, 5, KindNames("|", "|"));
}

}  // namespace

void Warn(const std::string& text) { std::fprintf(stderr, "%s: warning: %s\n", kProgram, text.c_str()); }

void LoadSettingsFile(const std::string& file) {
  if (!MapFileExists(file)) throw EMapFileError("Cannot open file \"" + file + "\": no such settings file");
  SetSettingsFileName(file);
  const TSettingsLoad load = LoadSettings();
  if (!load.ReadError.empty()) throw EMapFileError(load.ReadError);
  for (const std::string& a : load.Adjusted) Warn(file + ": " + a);
}

}  // namespace orvane::maptool

int main(int argc, char** argv) {
  using namespace orvane;
  using namespace orvane::maptool;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError(kProgram, "a command is wanted: info, render or plane");
  const std::string command = args[0];
  // --help anywhere helps, whatever else the line holds.
  const bool help = std::find(args.begin(), args.end(), "--help") != args.end();
  if (const std::optional<int> done = HelpOrVersion(help ? "--help" : command, kProgram, Help().c_str())) return *done;
  args.erase(args.begin());
  try {
    if (command == "info") return Info(args);
    if (command == "render") return Render(argc, argv, args);
    if (command == "plane") return Plane(args);
    return UsageError(kProgram, "unknown command '" + command + "'");
  } catch (const EUsage& e) {
    return UsageError(kProgram, e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
    return 1;
  }
}
