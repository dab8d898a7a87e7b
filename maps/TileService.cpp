// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/TileService.h"

#include <cstdio>
#include <cstdlib>

#include "common/Version.h"
#include "maps/MapFile.h"

namespace orvane {
namespace {

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}

// As XML text: the address may hold "&" of a query.
std::string Escaped(std::string s) {
  ReplaceAll(s, "&", "&amp;");
  ReplaceAll(s, "<", "&lt;");
  ReplaceAll(s, ">", "&gt;");
  return s;
}

std::string Description(const std::string& url, bool fromSouth, const std::string& cachePath, bool offline) {
  char limits[512];
  std::snprintf(limits, sizeof limits,
                "<Cache><Path>%s</Path><Unique>false</Unique><Expires>%d</Expires><MaxSize>%lld</MaxSize></Cache>"
                "<MaxConnections>%d</MaxConnections><Timeout>%d</Timeout>"
                // A tile the server does not have (open sea, past its zoom levels) is clear.
                "<ZeroBlockHttpCodes>204,404</ZeroBlockHttpCodes>",
                Escaped(cachePath).c_str(), kTileCacheDays * 86400, static_cast<long long>(kTileCacheBytes),
                kTileConnections, kTileTimeoutSeconds);
  // Web Mercator's square, every zoom level an overview of the next; four bands, so that a tile
  // not had yet is clear and the layers below show through.
  return "<GDAL_WMS><Service name=\"TMS\"><ServerUrl>" + Escaped(url) +
         "</ServerUrl></Service><DataWindow><UpperLeftX>-20037508.34</UpperLeftX>"
         "<UpperLeftY>20037508.34</UpperLeftY><LowerRightX>20037508.34</LowerRightX>"
         "<LowerRightY>-20037508.34</LowerRightY><TileLevel>" +
         std::to_string(kTileMaxZoom) + "</TileLevel><TileCountX>1</TileCountX><TileCountY>1</TileCountY><YOrigin>" +
         (fromSouth ? "bottom" : "top") +
         "</YOrigin></DataWindow><Projection>EPSG:3857</Projection><BlockSizeX>256</BlockSizeX>"
         "<BlockSizeY>256</BlockSizeY><BandsCount>4</BandsCount>" +
         limits + "<UserAgent>Orvane/" + kVersion + " (NMEA receiver monitor)</UserAgent>" +
         (offline ? "<OfflineMode>true</OfflineMode>" : "") + "</GDAL_WMS>";
}

}  // namespace

bool IsTileAddress(const std::string& entry) {
  return entry.find("://") != std::string::npos && entry.find("{z}") != std::string::npos;
}

std::string TileCacheRoot() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/Orvane/tiles";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.cache/Orvane/tiles";
}

TTileService TileServiceOf(const std::string& address, const std::string& cacheRoot) {
  const auto fail = [&](const char* cause) -> void {
    throw EMapFileError("Tile address \"" + address + "\": " + cause);
  };
  const size_t scheme = address.find("://");
  if (scheme == std::string::npos ||
      (address.compare(0, scheme, "http") != 0 && address.compare(0, scheme, "https") != 0))
    fail("only http:// and https:// tile servers are read");
  const bool fromSouth = address.find("{-y}") != std::string::npos;
  if (address.find("{x}") == std::string::npos || address.find("{z}") == std::string::npos ||
      (address.find("{y}") == std::string::npos && !fromSouth))
    fail("it needs {z}, {x} and {y} (or {-y}) where the tile's numbers go");
  for (const char c : address)
    if (static_cast<unsigned char>(c) <= ' ') fail("it holds a blank or a control character");
  TTileService t;
  t.Address = address;
  std::string url = address;
  // One subdomain of the server's several: the connections stay within the bound.
  ReplaceAll(url, "{s}", "a");
  ReplaceAll(url, "{z}", "${z}");
  ReplaceAll(url, "{x}", "${x}");
  ReplaceAll(url, "{-y}", "${y}");
  ReplaceAll(url, "{y}", "${y}");
  const size_t hostStart = scheme + 3;
  const size_t hostEnd = url.find_first_of("/:?", hostStart);
  t.Host = url.substr(hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
  if (t.Host.empty()) fail("it names no server");
  // FNV-1a: the folder's name stays the same from one build to the next.
  uint64_t h = 14695981039346656037ULL;
  for (const char c : address) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  char hash[32];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(h));
  t.CachePath = cacheRoot + "/" + t.Host + "-" + hash;
  t.Online = Description(url, fromSouth, t.CachePath, false);
  t.Offline = Description(url, fromSouth, t.CachePath, true);
  t.Attribution =
      t.Host.find("openstreetmap.org") != std::string::npos ? "(c) OpenStreetMap contributors" : "Tiles: " + t.Host;
  return t;
}

}  // namespace orvane
