// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/TileFetcher.h"

#include <memory>
#include <utility>
#include <vector>

#include "maps/MapFile.h"
#include "maps/RasterFile.h"

namespace orvane {

TTileFetcher::TTileFetcher(TTileService service) : Service_(std::move(service)), Worker([this] { Run(); }) {}

TTileFetcher::~TTileFetcher() {
  {
    std::lock_guard lock(M);
    Stopping = true;
  }
  Cv.notify_all();
  Worker.join();
}

void TTileFetcher::Want(double sx, double sy, const TLatticeRect& rect, const std::string& mapDatum) {
  TRequest r{sx, sy, rect, mapDatum};
  {
    std::lock_guard lock(M);
    if (r == Last || r == Pending) return;
    Pending = std::move(r);
  }
  Cv.notify_all();
}

bool TTileFetcher::TakeArrived() {
  std::lock_guard lock(M);
  return std::exchange(Arrived, false);
}

std::string TTileFetcher::TakeFailure() {
  std::lock_guard lock(M);
  return std::exchange(Failure, {});
}

bool TTileFetcher::Idle() {
  std::lock_guard lock(M);
  return !Busy && !Pending;
}

void TTileFetcher::Run() {
  // Its own connection to the server: GDAL's datasets are one thread's each.
  std::unique_ptr<TRasterFile> online;
  std::unique_lock lock(M);
  for (;;) {
    Cv.wait(lock, [this] { return Stopping || Pending; });
    if (Stopping) return;
    TRequest r = std::move(*Pending);
    Pending.reset();
    Last = r;
    Busy = true;
    lock.unlock();
    Fetch(r, online);
    lock.lock();
    Busy = false;
  }
}

void TTileFetcher::Fetch(const TRequest& r, std::unique_ptr<TRasterFile>& online) {
  std::string error;
  try {
    if (!online) online = std::make_unique<TRasterFile>(Service_.Online, r.Datum, Service_.Address);
    if (online->MapDatum() != r.Datum) online->SetMapDatum(r.Datum);
    // Reading the view through the server's description fills the cache; the pixels are the
    // drawing thread's to read from there.
    std::vector<uint32_t> scratch(static_cast<size_t>(r.Rect.W) * r.Rect.H);
    online->Warp(r.Sx, r.Sy, r.Rect, scratch.data(), r.Rect.W);
  } catch (const EMapFileError& e) {
    error = e.what();
  }
  std::lock_guard lock(M);
  if (error.empty()) {
    Arrived = true;
    Failing = false;
    return;
  }
  // What the cache has stays drawn; the fault is said once until the server answers again.
  if (!Failing)
    Failure = "Tile server " + Service_.Host + " cannot be reached; the tiles in the cache are drawn. " + error;
  Failing = true;
}

}  // namespace orvane
