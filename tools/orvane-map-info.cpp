// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-map info: each map file's kind, counts, extent and datum as its own layer tells them.
// The kinds, how a path is recognised and how each layer is made and described are the layer
// table's rows, so a new kind of layer is described here without a line of this file changing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "common/HostConv.h"
#include "common/ProgramFolder.h"
#include "gui/QtCanvas.h"
#include "maps/MapFile.h"
#include "maps/PosixEncConverter.h"
#include "maps/TileService.h"
#include "maps/UEncMap.h"
#include "nmea/NmeaRec.h"
#include "tools/ToolArgs.h"
#include "tools/orvane-map.h"
#include "track/LayerKinds.h"
#include "track/TrackState.h"

namespace orvane::maptool {
namespace {

std::string Deg(double v) { return FormatFixed(v, 6); }

void Out(const std::string& key, const std::string& value) { std::printf("  %s: %s\n", key.c_str(), value.c_str()); }

void Print(const TLayerDescription& d) {
  for (const TLayerFact& f : d.Notes) Out(f.Name, f.Value);
  for (const TLayerFact& f : d.Counts) Out(f.Name, f.Value);
  if (!d.Extent) {
    Out("extent", "none");
  } else {
    const TViewBox& b = *d.Extent;
    Out("extent", "west " + Deg(b.West) + ", south " + Deg(b.South) + ", east " + Deg(b.East) + ", north " +
                      Deg(b.North) + (d.ExtentDatum.empty() ? "" : " (" + d.ExtentDatum + ")"));
  }
  Out("datum", d.Datum);
  for (const TLayerFact& f : d.Details) Out(f.Name, f.Value);
  for (const TLayerListing& l : d.Listings) {
    Out(l.Head.Name, l.Head.Value);
    for (const std::string& line : l.Lines) std::printf("  %s\n", line.c_str());
  }
}

[[noreturn]] void CannotOpen(const std::string& path, const std::string& cause) {
  throw EMapFileError("Cannot open file \"" + path + "\": " + cause);
}

// Before any kind is named: a path that is not there, cannot be read, or is a pipe or a device
// (which would block the reader, or never end) is refused without being read.
void CheckOpens(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) CannotOpen(path, errno == ENOENT ? "no such file" : std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return;
  if (!S_ISREG(st.st_mode)) CannotOpen(path, "not a regular file");
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) CannotOpen(path, std::strerror(errno));
  ::close(fd);
}

// A folder where a folder is expected, a regular file everywhere else.
void CheckPath(const TLayerKind& kind, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  if (kind.IsFolder() ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode)) return;
  CannotOpen(path, kind.IsFolder() ? "not a folder" : "a folder");
}

// An NMEA log named where a map file goes, the likeliest mix-up: its first line is a sentence
// ("$GPGGA,...", "$PGRMM,...").
bool LooksLikeNmeaLog(const std::string& path) {
  const std::string head = ReadMapFile(path, 128);
  size_t at = head.find_first_not_of("\r\n");
  if (at == std::string::npos || head[at] != '$') return false;
  size_t letters = 0;
  while (++at < head.size() && head[at] >= 'A' && head[at] <= 'Z') ++letters;
  return letters >= 3 && at < head.size() && head[at] == ',';
}

const TLayerKind& KindOf(const std::string& path) {
  const TLayerKind* kind = KindOfPath(path);
  if (!kind && LooksLikeNmeaLog(path))
    throw EMapFileError("\"" + path + "\" is an NMEA log, not a map file; orvane-nmea decodes it");
  if (!kind)
    throw EMapFileError("\"" + path + "\": neither its name nor its first bytes say which kind of map file it is (" +
                        KindNames(", ", " or ") + "); --kind names it");
  return *kind;
}

void Describe(const TLayerKind& kind, const std::string& path, bool haveSettings) {
  TPosixEncConverter converter;
  TQtImage image;
  const TLayerMakers makers{
      TrackState, NmeaRec, [](const std::string& text) { Warn(text); }, &converter, EncClassTablePath(ProgramFolder()),
      &image};
  const std::unique_ptr<TMapLayer> layer = kind.Make ? kind.Make(makers) : nullptr;
  if (!layer) throw EMapFileError(path + ": no layer of kind " + kind.Kind + " can be made here");
  const TLayerLoad load = layer->LoadInSet(path);
  if (load.End != TLayerLoad::Shown)
    throw EMapFileError(load.Message.empty() ? "Cannot open file \"" + path + "\": no such file" : load.Message);
  // Named only once it is read as one: a folder that is no area is not called an area.
  std::printf("%s\n", path.c_str());
  Out("kind", kind.Kind);
  const TDescribeWith with{path, haveSettings, "--settings"};
  Print(kind.Describe ? kind.Describe(*layer, with) : layer->Describe());
}

}  // namespace

int Info(const std::vector<std::string>& args) {
  std::string kind, settings;
  std::vector<std::string> paths;
  TToolArgs a(args);
  while (a.Next()) {
    if (a.Is("--kind")) {
      kind = a.Value();
    } else if (a.Is("--settings")) {
      settings = a.Value();
    } else if (a.Arg().starts_with("--") && a.Arg().size() > 2) {
      throw EUsage("unknown option " + a.Arg());
    } else {
      paths.push_back(a.Arg());
    }
  }
  if (paths.empty()) throw EUsage("info needs at least one PATH");
  const TLayerKind* given = nullptr;
  if (!kind.empty() && !(given = KindNamed(kind)))
    throw EUsage("unknown kind '" + kind + "' (" + KindNames(", ", " or ") + ")");
  if (!settings.empty()) LoadSettingsFile(settings);
  int status = 0;
  for (const std::string& path : paths) {
    try {
      // A tile server's address is a raster of its own, with nothing on disk to check.
      const bool tiles = IsTileAddress(path);
      if (!tiles) CheckOpens(path);
      const TLayerKind& k = given ? *given : tiles ? *KindNamed("raster") : KindOf(path);
      if (!tiles) CheckPath(k, path);
      Describe(k, path, !settings.empty());
    } catch (const std::exception& e) {
      // The other paths are still described; the exit status says one failed.
      std::fflush(stdout);
      std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
      status = 1;
    }
  }
  return status;
}

}  // namespace orvane::maptool
