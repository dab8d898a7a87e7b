// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include "common/HostConv.h"
#include "common/NmeaConv.h"
#include "common/ProgramFolder.h"
#include "nmea/NmeaRec.h"
#include "serial/PortNames.h"
#include "settings/IniFile.h"
#include "settings/MainVars.h"
#include "settings/WindowChoices.h"
#include "track/LayerKinds.h"
#include "track/TrackState.h"

namespace orvane {
namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kTrack = "Track";
constexpr const char* kDeviation = "Deviation";
constexpr const char* kCharts = "Charts";

std::string& OverrideName() {
  static std::string name;
  return name;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Keys that came later are written only once they are set, so a file without them keeps its
// bytes; the first layers' keys are always there, empty or not.
bool WrittenWhenEmpty(const TLayerKind& kind) { return std::string_view(kind.Key) != "RasterMap"; }

// "Recent1" .. "Recent8": the recent sources, most recent first.
std::string RecentKey(size_t n) { return "Recent" + std::to_string(n); }

std::string OwnSettingsFileName() { return ProgramFolder() + "/" + kSettingsName; }

}  // namespace

// A portable copy keeps its settings beside it, as does a program run from its build tree.
bool PortableProgramFolder(const std::string& folder) {
  const std::string own = folder + "/" + kSettingsName;
  if (Exists(own) && ::access(folder.empty() ? "/" : folder.c_str(), W_OK) == 0) return true;
  const std::string tree = ORVANE_BUILD_TREE;
  return !tree.empty() && (folder == tree || folder.rfind(tree + "/", 0) == 0);
}

namespace {

// A value outside [low, high] comes back inside, and the load says so.
int32_t Bounded(int32_t value, int32_t low, int32_t high, const char* key, const std::string& file,
                std::vector<std::string>& adjusted) {
  const int32_t bounded = std::clamp(value, low, high);
  if (bounded != value)
    adjusted.push_back(std::string(key) + "=" + std::to_string(value) + " in \"" + file + "\" is outside " +
                       std::to_string(low) + " to " + std::to_string(high) + "; " + std::to_string(bounded) +
                       " is used");
  return bounded;
}

// An installed program may ship an Orvane.ini beside it (definition sections, defaults). While
// the user's own file does not exist yet, that one is read, and the first save starts from it.
std::string SeedFileName(const std::string& target) {
  if (!OverrideName().empty() || Exists(target)) return {};
  const std::string own = OwnSettingsFileName();
  return own != target && Exists(own) ? own : std::string();
}

void MakeFolders(const std::string& folder) {
  for (size_t pos = 1; pos != std::string::npos;) {
    pos = folder.find('/', pos + 1);
    const std::string part = folder.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      throw EIniFileError("Cannot create folder \"" + part + "\": " + std::strerror(errno));
  }
}

}  // namespace

std::string DefaultSettingsFileName(const std::string& programFolder, bool portable, const char* xdgConfigHome,
                                    const std::string& home) {
  if (portable) return programFolder + "/" + kSettingsName;
  std::string config;
  if (xdgConfigHome && xdgConfigHome[0] == '/')
    config = xdgConfigHome;
  else
    config = (home == "/" ? std::string() : home) + "/.config";
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  return config + "/Orvane/" + kSettingsName;
}

std::string SettingsFileName() {
  if (!OverrideName().empty()) return OverrideName();
  const std::string folder = ProgramFolder();
  return DefaultSettingsFileName(folder, PortableProgramFolder(folder), std::getenv("XDG_CONFIG_HOME"), HomeFolder());
}

void SetSettingsFileName(std::string fileName) { OverrideName() = std::move(fileName); }

bool SettingsFileGiven() { return !OverrideName().empty(); }

namespace {

const char* GgaName(TNtripGga gga) {
  return gga == TNtripGga::Always ? "always" : gga == TNtripGga::Never ? "never" : "asked";
}

void LoadNtrip(const TIniFile& ini) {
  TNtripConfig& c = NtripConfig;
  c.Host = ini.ReadString(kSettings, "NtripHost", "");
  const int32_t port = ini.ReadInteger(kSettings, "NtripPort", kNtripPort);
  c.Port = port >= 1 && port <= 65535 ? static_cast<uint16_t>(port) : kNtripPort;
  c.Mount = ini.ReadString(kSettings, "NtripMount", "");
  c.User = ini.ReadString(kSettings, "NtripUser", "");
  NtripKeepPassword = ini.ReadBool(kSettings, "NtripKeepPassword", false);
  c.Password = NtripKeepPassword ? ini.ReadString(kSettings, "NtripPassword", "") : std::string();
  c.Version = ini.ReadInteger(kSettings, "NtripVersion", 2) == 1 ? 1 : 2;
  const std::string gga = ini.ReadString(kSettings, "NtripGga", "asked");
  c.Gga = gga == "always" ? TNtripGga::Always : gga == "never" ? TNtripGga::Never : TNtripGga::WhenAsked;
  NtripOn = ini.ReadBool(kSettings, "NtripOn", false);
}

void SaveNtrip(TIniFile& ini) {
  const TNtripConfig& c = NtripConfig;
  // A file of someone who never named a caster stays without the keys.
  if (c.Host.empty() && !ini.ValueExists(kSettings, "NtripHost")) return;
  ini.WriteString(kSettings, "NtripHost", c.Host);
  ini.WriteInteger(kSettings, "NtripPort", c.Port);
  ini.WriteString(kSettings, "NtripMount", c.Mount);
  ini.WriteString(kSettings, "NtripUser", c.User);
  ini.WriteBool(kSettings, "NtripKeepPassword", NtripKeepPassword);
  // A password the user did not ask to keep is taken out of the file, one kept was there before.
  if (NtripKeepPassword) {
    ini.WriteString(kSettings, "NtripPassword", c.Password);
    ini.SetFileMode(0600);
  } else if (ini.ValueExists(kSettings, "NtripPassword")) {
    ini.WriteString(kSettings, "NtripPassword", "");
  }
  ini.WriteInteger(kSettings, "NtripVersion", c.Version);
  ini.WriteString(kSettings, "NtripGga", GgaName(c.Gga));
  ini.WriteBool(kSettings, "NtripOn", NtripOn);
}

// The value of a key that came later, or nullopt when the file does not have it. A value that does
// not read is said, and gives nullopt too: the default is kept.
template <typename Parse>
auto ReadChoice(const TIniFile& ini, const char* section, const char* key, Parse parse, const std::string& used,
                std::vector<std::string>& adjusted) -> decltype(parse(std::string_view())) {
  if (!ini.ValueExists(section, key)) return std::nullopt;
  const std::string text = ini.ReadString(section, key, "");
  auto value = parse(text);
  if (!value)
    adjusted.push_back(std::string(key) + "=" + text + " in [" + section + "] of \"" + ini.FileName() +
                       "\" does not read; " + used + " is used");
  return value;
}

// The windows' choices start from their defaults, whatever an earlier load left.
void LoadWindowChoices(const TIniFile& ini, std::vector<std::string>& adjusted) {
  DeviationChoices = TDeviationChoices{};
  ChartsChoices = TChartsChoices{};
  if (auto ref = ReadChoice(ini, kDeviation, "Reference", ParseReference, "mean", adjusted))
    DeviationChoices.Reference = *ref;
  if (auto q = ReadChoice(ini, kDeviation, "Quality", ParseQuality, "the best quality present", adjusted))
    DeviationChoices.Quality = *q;
  if (auto span = ReadChoice(ini, kCharts, "Span", ParseSpan, SpanWord(ChartsChoices.Span), adjusted))
    ChartsChoices.Span = *span;
  if (auto series = ReadChoice(ini, kCharts, "Series", ParseSeries, SeriesWords(ChartsChoices.Series), adjusted))
    ChartsChoices.Series = *series;
}

// As the keys that came later: written once a choice leaves its default or the key is there, so
// the file of a user who never changed them keeps its bytes.
void WriteChoice(TIniFile& ini, const char* section, const char* key, const std::string& value,
                 const std::string& byDefault) {
  if (value != byDefault || ini.ValueExists(section, key)) ini.WriteString(section, key, value);
}

void SaveWindowChoices(TIniFile& ini) {
  const TDeviationChoices d;
  const TChartsChoices c;
  WriteChoice(ini, kDeviation, "Reference", ReferenceWords(DeviationChoices.Reference), ReferenceWords(d.Reference));
  WriteChoice(ini, kDeviation, "Quality", DeviationChoices.Quality ? std::string(1, DeviationChoices.Quality) : "", "");
  WriteChoice(ini, kCharts, "Span", SpanWord(ChartsChoices.Span), SpanWord(c.Span));
  WriteChoice(ini, kCharts, "Series", SeriesWords(ChartsChoices.Series), SeriesWords(c.Series));
}

}  // namespace

TSettingsLoad LoadSettings() {
  const std::string target = SettingsFileName();
  const std::string seed = SeedFileName(target);
  const TIniFile ini(seed.empty() ? target : seed);
  TSettingsLoad load;
  load.ReadError = ini.ReadError();
  std::vector<std::string>& adjusted = load.Adjusted;

  NmeaRec.SaveLogName = ini.ReadString(kSettings, "SaveLogName", "NMEA.log");
  NmeaRec.SaveLog = ini.ReadBool(kSettings, "SaveLog", false);
  NmeaRec.SaveInterval = ini.ReadInteger(kSettings, "SaveInterval", 0);
  NmeaRec.GpsDatum = ini.ReadString(kSettings, "GpsDatum", "WGS 84");
  NmeaRec.ComPort = ini.ReadInteger(kSettings, "ComPort", 1);
  // Not a port of the menu: the default one, not a neighbour.
  if (NmeaRec.ComPort < 1 || NmeaRec.ComPort > kComPortCount) {
    adjusted.push_back("ComPort=" + std::to_string(NmeaRec.ComPort) + " in \"" + ini.FileName() +
                       "\" is not a port from 1 to " + std::to_string(kComPortCount) + "; COM1 is used");
    NmeaRec.ComPort = 1;
  }
  NmeaRec.ComSpeed = ini.ReadInteger(kSettings, "ComSpeed", 4800);
  NmeaRec.BGColor = ini.ReadInteger(kSettings, "BGColor", 0xFFFFFF);
  NmeaRec.GridColor = ini.ReadInteger(kSettings, "GridColor", 0xFF0000);
  NmeaRec.CoLineColor = ini.ReadInteger(kSettings, "CoLineColor", 0);
  NmeaRec.TrackColor = ini.ReadInteger(kSettings, "TrackColor", 0x00F000);
  NmeaRec.WpLineColor = ini.ReadInteger(kSettings, "WpLineColor", 0x00F0F0);
  NmeaRec.GpsFix = ini.ReadString(kSettings, "GpsFix", "$GPGSA");
  NmeaRec.Headding = ini.ReadBool(kSettings, "Headding", false);
  NmeaRec.HeadGuide = ini.ReadBool(kSettings, "HeadGuide", false);
  // The mark is a picture twice this size: a hand-edited huge value would overflow its size.
  NmeaRec.HeadR =
      Bounded(ini.ReadInteger(kSettings, "HeadR", 25), kHeadRMin, kHeadRMax, "HeadR", ini.FileName(), adjusted);
  ShowData = ini.ReadBool(kSettings, "ShowData", false);
  ShowTrk = ini.ReadBool(kSettings, "ShowTrk", false);
  RepInterval = ini.ReadInteger(kSettings, "RepInterval", kRepIntervalBuilt);
  NmeaRec.Gnss = ini.ReadBool(kSettings, "Gnss", false);
  NmeaRec.GnssAsked = ini.ReadBool(kSettings, "GnssAsked", false);
  ShowSignal = ini.ReadBool(kSettings, "ShowSignal", false);
  ShowConsole = ini.ReadBool(kSettings, "ShowConsole", false);
  NmeaRec.CoordFormat = CoordFormatFromName(ini.ReadString(kSettings, "CoordFormat", "D.MMSS"));
  NmeaRec.Source = ini.ReadString(kSettings, "Source", "");
  NmeaRec.Checksum = ini.ReadBool(kSettings, "Checksum", true);
  ShareSettings.On = ini.ReadBool(kSettings, "Share", false);
  ShareSettings.Tcp = ini.ReadString(kSettings, "ShareTcp", kShareTcpDefault);
  ShareSettings.Udp = ini.ReadString(kSettings, "ShareUdp", "");
  ShareSettings.Broadcast = ini.ReadBool(kSettings, "ShareBroadcast", false);
  ShowDeviation = ini.ReadBool(kSettings, "ShowDeviation", false);
  ShowCharts = ini.ReadBool(kSettings, "ShowCharts", false);
  NmeaRec.Plane.Zone =
      Bounded(ini.ReadInteger(kSettings, "PlaneZone", 9), 1, 19, "PlaneZone", ini.FileName(), adjusted);
  NmeaRec.Plane.Datum = PlaneDatumFromName(ini.ReadString(kSettings, "PlaneDatum", "JGD2011"));
  // Read oldest first, so that each one read goes in front; a hand-made gap or repeat is dropped.
  RecentSources.clear();
  for (size_t n = kRecentSourcesMax; n >= 1; --n)
    RememberSource(RecentSources, ini.ReadString(kSettings, RecentKey(n), ""));

  TrackState.TrackEnabled = ini.ReadBool(kTrack, "Enable", false);
  // The zoom menus reach 1 to 17 only; a hand-edited value outside would index past the tables.
  TrackState.Zoom = std::clamp(ini.ReadInteger(kTrack, "Zoom", 6), 1, 17);
  TrackState.CenterB = SafeStrToFloat(ini.ReadString(kTrack, "CenterB", "34.00"));
  TrackState.CenterL = SafeStrToFloat(ini.ReadString(kTrack, "CenterL", "134.00"));
  // Every sample redraws up to this many entries.
  TrackState.DataMax = SafeStrToInt(ini.ReadString(kTrack, "DataMax", "1000"));
  if (TrackState.DataMax > kDataMaxLimit)
    TrackState.DataMax = Bounded(TrackState.DataMax, 1, kDataMaxLimit, "DataMax", ini.FileName(), adjusted);
  TrackState.Interval = SafeStrToInt(ini.ReadString(kTrack, "Interval", "1000"));
  for (const TLayerKind& k : LayerKinds()) LayerPath(TrackState, k) = ini.ReadString(kTrack, k.Key, "");
  TrackState.MapDatum = ini.ReadString(kTrack, "MapDatum", "Tokyo");
  TrackState.IconMark = ini.ReadString(kTrack, "IconMark", "");

  TrackState.MetaDefList = ini.ReadSectionValues("METADEF");
  TrackState.KddArcList = ini.ReadSectionValues("KDDARC");
  TrackState.KddAtrList = ini.ReadSectionValues("KDDATR");
  TrackState.KddPgnList = ini.ReadSectionValues("KDDPGN");
  TrackState.KddNodList = ini.ReadSectionValues("KDDNOD");
  TrackState.KddPntList = ini.ReadSectionValues("KDDPNT");
  SetComDevices(ini.ReadSectionValues("Ports"));
  LoadNtrip(ini);
  LoadWindowChoices(ini, adjusted);
  return load;
}

namespace {

// The file a save writes, made from the shipped one when it does not exist yet.
std::string PrepareTarget() {
  const std::string target = SettingsFileName();
  if (!Exists(target)) {
    const std::string seed = SeedFileName(target);
    if (OverrideName().empty() && target != OwnSettingsFileName()) MakeFolders(target.substr(0, target.rfind('/')));
    if (!seed.empty()) {
      std::ifstream in(seed, std::ios::binary);
      const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (in.good() || in.eof()) ReplaceFileContent(target, content);
    }
  }
  return target;
}

void WriteGnss(TIniFile& ini) {
  ini.WriteBool(kSettings, "Gnss", NmeaRec.Gnss);
  ini.WriteBool(kSettings, "GnssAsked", NmeaRec.GnssAsked);
}

}  // namespace

void SaveGnssSettings() {
  TIniFile ini(PrepareTarget());
  ini.BeginUpdate();
  WriteGnss(ini);
  ini.EndUpdate();
}

void SaveSettings() {
  const std::string target = PrepareTarget();

  // One replacement of the file for the whole save: all of it is written, or nothing.
  TIniFile ini(target);
  ini.BeginUpdate();
  ini.WriteString(kSettings, "SaveLogName", NmeaRec.SaveLogName);
  ini.WriteBool(kSettings, "SaveLog", NmeaRec.SaveLog);
  ini.WriteInteger(kSettings, "SaveInterval", NmeaRec.SaveInterval);
  ini.WriteString(kSettings, "GpsDatum", NmeaRec.GpsDatum);
  ini.WriteInteger(kSettings, "ComPort", NmeaRec.ComPort);
  ini.WriteInteger(kSettings, "ComSpeed", NmeaRec.ComSpeed);
  ini.WriteString(kSettings, "BGColor", FormatColor(NmeaRec.BGColor));
  ini.WriteString(kSettings, "GridColor", FormatColor(NmeaRec.GridColor));
  ini.WriteString(kSettings, "CoLineColor", FormatColor(NmeaRec.CoLineColor));
  ini.WriteString(kSettings, "TrackColor", FormatColor(NmeaRec.TrackColor));
  ini.WriteString(kSettings, "WpLineColor", FormatColor(NmeaRec.WpLineColor));
  ini.WriteString(kSettings, "GpsFix", NmeaRec.GpsFix);
  ini.WriteBool(kSettings, "Headding", NmeaRec.Headding);
  ini.WriteBool(kSettings, "HeadGuide", NmeaRec.HeadGuide);
  ini.WriteInteger(kSettings, "HeadR", NmeaRec.HeadR);
  ini.WriteBool(kSettings, "ShowData", ShowData);
  ini.WriteBool(kSettings, "ShowTrk", ShowTrk);
  ini.WriteInteger(kSettings, "RepInterval", RepInterval);
  WriteGnss(ini);
  ini.WriteBool(kSettings, "ShowSignal", ShowSignal);
  ini.WriteBool(kSettings, "ShowConsole", ShowConsole);
  ini.WriteString(kSettings, "CoordFormat", CoordFormatName(NmeaRec.CoordFormat));
  ini.WriteString(kSettings, "Source", NmeaRec.Source);
  // Every key, the unused ones empty, so that no entry of a longer list is left behind.
  for (size_t n = 1; n <= kRecentSourcesMax; ++n)
    ini.WriteString(kSettings, RecentKey(n), n <= RecentSources.size() ? RecentSources[n - 1] : std::string());
  ini.WriteBool(kSettings, "Checksum", NmeaRec.Checksum);
  ini.WriteBool(kSettings, "Share", ShareSettings.On);
  ini.WriteString(kSettings, "ShareTcp", ShareSettings.Tcp);
  ini.WriteString(kSettings, "ShareUdp", ShareSettings.Udp);
  ini.WriteBool(kSettings, "ShareBroadcast", ShareSettings.Broadcast);
  SaveNtrip(ini);
  ini.WriteBool(kSettings, "ShowDeviation", ShowDeviation);
  ini.WriteBool(kSettings, "ShowCharts", ShowCharts);
  ini.WriteInteger(kSettings, "PlaneZone", NmeaRec.Plane.Zone);
  ini.WriteString(kSettings, "PlaneDatum", PlaneDatumName(NmeaRec.Plane.Datum));

  ini.WriteBool(kTrack, "Enable", TrackState.TrackEnabled);
  ini.WriteString(kTrack, "Zoom", std::to_string(TrackState.Zoom));
  ini.WriteString(kTrack, "CenterB", FormatShortest(TrackState.CenterB));
  ini.WriteString(kTrack, "CenterL", FormatShortest(TrackState.CenterL));
  ini.WriteString(kTrack, "DataMax", std::to_string(TrackState.DataMax));
  ini.WriteString(kTrack, "Interval", std::to_string(TrackState.Interval));
  for (const TLayerKind& k : LayerKinds())
    if (WrittenWhenEmpty(k) || !LayerPathToSave(TrackState, k).empty() || ini.ValueExists(kTrack, k.Key))
      ini.WriteString(kTrack, k.Key, LayerPathToSave(TrackState, k));
  ini.WriteString(kTrack, "MapDatum", TrackState.MapDatum);
  ini.WriteString(kTrack, "IconMark", TrackState.IconMark);
  SaveWindowChoices(ini);
  ini.EndUpdate();
}

}  // namespace orvane
