// SPDX-License-Identifier: GPL-3.0-or-later
// Fetches the tiles of the view last drawn into the disk cache, on a thread of its own, so that
// the drawing thread only ever reads the cache. Only the newest view is fetched (a view passed
// over before its turn is not), and a view once fetched is not fetched again: no bulk download.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "maps/LatticePicture.h"
#include "maps/TileService.h"

namespace orvane {

class TRasterFile;

class TTileFetcher {
public:
  explicit TTileFetcher(TTileService service);
  // Does not wait for a fetch under way: a server that neither answers nor refuses would hold
  // the window's closing for its whole timeout. The worker ends that fetch on its own.
  ~TTileFetcher();
  TTileFetcher(const TTileFetcher&) = delete;
  TTileFetcher& operator=(const TTileFetcher&) = delete;

  // The view drawn, on the lattice of (sx, sy) pixels per degree of `mapDatum`.
  void Want(double sx, double sy, const TLatticeRect& rect, const std::string& mapDatum);
  // True once after tiles came into the cache.
  bool TakeArrived();
  // Why the server could not be reached, once until it is reached again; else empty.
  std::string TakeFailure();
  const TTileService& Service() const { return S->Service; }
  // No fetch waiting or under way (for tests and tools that wait for the tiles).
  bool Idle();

private:
  struct TRequest {
    double Sx = 0, Sy = 0;
    TLatticeRect Rect;
    std::string Datum;
    bool operator==(const TRequest&) const = default;
  };
  // What the worker shares with the fetcher, and keeps when the fetcher goes first.
  struct TState {
    explicit TState(TTileService service) : Service(std::move(service)) {}
    const TTileService Service;
    std::mutex M;
    std::condition_variable Cv;
    std::optional<TRequest> Pending, Last;
    bool Busy = false, Stopping = false, Arrived = false, Failing = false;
    std::string Failure;
  };
  static void Run(const std::shared_ptr<TState>& s);
  static void Fetch(TState& s, const TRequest& r, std::unique_ptr<TRasterFile>& online);

  std::shared_ptr<TState> S;
  std::thread Worker;
};

}  // namespace orvane
