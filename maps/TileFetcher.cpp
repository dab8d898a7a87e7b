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
// Never destroyed: a worker left to end its fetch may still take its lock while the program exits.
std::mutex& ServerLock(const std::string& host) {
  static auto* guard = new std::mutex;
  static auto* locks = new std::map<std::string, std::unique_ptr<std::mutex>>;
  std::lock_guard lock(*guard);
  std::unique_ptr<std::mutex>& m = (*locks)[host];
  if (!m) m = std::make_unique<std::mutex>();
  return *m;
}

}  // namespace

TTileFetcher::TTileFetcher(TTileService service)
    : S(std::make_shared<TState>(std::move(service))), Worker([s = S] { Run(s); }) {}

TTileFetcher::~TTileFetcher() {
  bool busy = false;
  {
    std::lock_guard lock(S->M);
    S->Stopping = true;
    busy = S->Busy;
  }
  S->Cv.notify_all();
  // A worker that waits ends at once; one in a fetch ends when the fetch does.
  if (busy)
    Worker.detach();
  else
    Worker.join();
}

void TTileFetcher::Want(double sx, double sy, const TLatticeRect& rect, const std::string& mapDatum) {
  TRequest r{sx, sy, rect, mapDatum};
  {
    std::lock_guard lock(S->M);
    if (r == S->Last || r == S->Pending) return;
    S->Pending = std::move(r);
  }
  S->Cv.notify_all();
}

bool TTileFetcher::TakeArrived() {
  std::lock_guard lock(S->M);
  return std::exchange(S->Arrived, false);
}

std::string TTileFetcher::TakeFailure() {
  std::lock_guard lock(S->M);
  return std::exchange(S->Failure, {});
}

bool TTileFetcher::Idle() {
  std::lock_guard lock(S->M);
  return !S->Busy && !S->Pending;
}

void TTileFetcher::Run(const std::shared_ptr<TState>& s) {
  // Its own connection to the server: GDAL's datasets are one thread's each.
  std::unique_ptr<TRasterFile> online;
  std::unique_lock lock(s->M);
  for (;;) {
    s->Cv.wait(lock, [&] { return s->Stopping || s->Pending; });
    if (s->Stopping) return;
    TRequest r = std::move(*s->Pending);
    s->Pending.reset();
    s->Last = r;
    s->Busy = true;
    lock.unlock();
    Fetch(*s, r, online);
    lock.lock();
    s->Busy = false;
  }
}

void TTileFetcher::Fetch(TState& s, const TRequest& r, std::unique_ptr<TRasterFile>& online) {
  std::string error;
  try {
    if (!online) online = std::make_unique<TRasterFile>(s.Service.Online, r.Datum, s.Service.Address);
    if (online->MapDatum() != r.Datum) online->SetMapDatum(r.Datum);
    // Reading the view through the server's description fills the cache; the pixels are the
    // drawing thread's to read from there.
    std::vector<uint32_t> scratch(static_cast<size_t>(r.Rect.W) * r.Rect.H);
    const std::lock_guard server(ServerLock(s.Service.Host));
    online->Warp(r.Sx, r.Sy, r.Rect, scratch.data(), r.Rect.W);
  } catch (const EMapFileError& e) {
    error = e.what();
  }
  std::lock_guard lock(s.M);
  if (error.empty()) {
    s.Arrived = true;
    s.Failing = false;
    return;
  }
  // What the cache has stays drawn; the fault is said once until the server answers again.
  if (!s.Failing)
    s.Failure = "Tile server " + s.Service.Host + " cannot be reached (" + HttpCause(error) +
                "); the tiles in the cache are drawn";
  s.Failing = true;
}

}  // namespace orvane
