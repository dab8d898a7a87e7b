// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/TileFetcher.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "maps/MapFile.h"
#include "maps/RasterFile.h"

namespace orvane {
namespace {

// The cause in a line: GDAL's message holds the URL and the whole answer of the server.
std::string HttpCause(const std::string& message) {
  const size_t status = message.find("HTTP status code: ");
  if (status == std::string::npos) return message.substr(0, message.find('\n'));
  const size_t code = status + 18;
  const std::string number = message.substr(code, message.find_first_not_of("0123456789", code) - code);
  if (!number.empty() && number != "0") return "HTTP status " + number;
  const size_t error = message.find("error: ", code);
  if (error == std::string::npos) return "no answer";
  std::string cause = message.substr(error + 7, message.find('\n', error) - error - 7);
  while (!cause.empty() && (cause.back() == '.' || cause.back() == ' ')) cause.pop_back();
  return cause;
}

// One fetch at a time per server, whatever the number of layers that draw from it (a layer set
// being replaced, two entries of one server): each fetch opens at most kTileConnections.
std::mutex& ServerLock(const std::string& host) {
  static std::mutex guard;
  static std::map<std::string, std::unique_ptr<std::mutex>> locks;
  std::lock_guard lock(guard);
  std::unique_ptr<std::mutex>& m = locks[host];
  if (!m) m = std::make_unique<std::mutex>();
  return *m;
}

}  // namespace

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
    const std::lock_guard server(ServerLock(Service_.Host));
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
    Failure = "Tile server " + Service_.Host + " cannot be reached (" + HttpCause(error) +
              "); the tiles in the cache are drawn";
  Failing = true;
}

}  // namespace orvane
