// SPDX-License-Identifier: GPL-3.0-or-later
// A web tile server given as an XYZ address ("https://tile.openstreetmap.org/{z}/{x}/{y}.png",
// "{s}" for a subdomain, "{-y}" for TMS rows counted from the south), as GDAL's tile client
// reads it: its description for fetching and for reading the disk cache alone, with the cache
// bounded in size and age, a User-Agent naming the program, and two connections at most, as the
// servers' usage policies ask.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// True for a RasterMap entry that is a tile address, not a file.
bool IsTileAddress(const std::string& entry);

struct TTileService {
  std::string Address;      // as the user gave it
  std::string Host;         // "tile.openstreetmap.org"
  std::string CachePath;    // this server's folder of the cache
  std::string Online;       // the description that fetches what the cache lacks
  std::string Offline;      // the description that reads the cache only
  std::string Attribution;  // drawn in a corner of the map
};

// Every tile server's cache: $XDG_CACHE_HOME/Orvane/tiles, else ~/.cache/Orvane/tiles.
std::string TileCacheRoot();

// The limits of the cache and the fetch.
constexpr int64_t kTileCacheBytes = 256LL << 20;
constexpr int kTileCacheDays = 7;
constexpr int kTileConnections = 2;
constexpr int kTileTimeoutSeconds = 10;
constexpr int kTileMaxZoom = 19;

// Throws EMapFileError naming the address when it is not one of an http or https tile server
// with {x}, {y} (or {-y}) and {z}.
TTileService TileServiceOf(const std::string& address, const std::string& cacheRoot);

}  // namespace orvane
