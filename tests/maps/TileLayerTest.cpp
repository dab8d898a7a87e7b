// SPDX-License-Identifier: GPL-3.0-or-later
// The raster layer over a tile server on the loopback interface: tiles are fetched away from the
// drawing, kept in the cache and drawn from it, also once the server is gone; the requests name
// the program, come two at a time at most, and a view once fetched is not fetched again.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "maps/RasterMap.h"
#include "maps/TileService.h"
#include "tests/common/LoopbackListener.h"
#include "tests/common/NullCanvas.h"
#include "tests/common/TempFiles.h"

namespace orvane {
namespace {

// Serves the same tile for every path, one thread a connection, each answer a little slow so
// that requests at once overlap; counts them and the most at once.
class TTileServer {
public:
  explicit TTileServer(std::string tile) : Tile(std::move(tile)) {
    Fd = ListenOnLoopback(Port, 16);
    Acceptor = std::thread([this] { Accept(); });
  }
  ~TTileServer() { Stop(); }
  void Stop() {
    if (Fd < 0) return;
    Closing = true;
    ::shutdown(Fd, SHUT_RDWR);
    ::close(Fd);
    Fd = -1;
    Acceptor.join();
    for (std::thread& t : Handlers) t.join();
  }
  uint16_t Port = 0;
  std::atomic<bool> Silent{false};  // reads the requests and never answers them
  std::atomic<int> Requests{0}, Peak{0};
  std::mutex M;
  std::vector<std::string> Agents;

private:
  void Accept() {
    for (;;) {
      const int c = ::accept(Fd, nullptr, nullptr);
      if (c < 0) return;
      Handlers.emplace_back([this, c] { Serve(c); });
    }
  }
  void Serve(int c) {
    const int now = ++Active;
    for (int p = Peak; now > p && !Peak.compare_exchange_weak(p, now);) {
    }
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = ::read(c, buf, sizeof buf);
      if (n <= 0) break;
      request.append(buf, static_cast<size_t>(n));
    }
    ++Requests;
    if (const size_t ua = request.find("User-Agent: "); ua != std::string::npos) {
      std::lock_guard lock(M);
      Agents.push_back(request.substr(ua + 12, request.find("\r\n", ua) - ua - 12));
    }
    while (Silent && !Closing) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    // Counted until answered: the client cannot have asked more at once than are unanswered.
    --Active;
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\nContent-Length: " +
                               std::to_string(Tile.size()) + "\r\n\r\n" + Tile;
    (void)!::write(c, answer.data(), answer.size());
    ::close(c);
  }
  std::string Tile;
  int Fd = -1;
  std::atomic<int> Active{0};
  std::atomic<bool> Closing{false};
  std::thread Acceptor;
  std::vector<std::thread> Handlers;
};

class PictureCanvas : public TNullCanvas {
public:
  TRect ClipRect() const override { return {0, 0, 320, 240}; }
  void DrawPicture(int, int, const TArgbPicture& p) override {
    Pixels.assign(p.Pixels, p.Pixels + static_cast<size_t>(p.Stride) * p.Height);
  }
  void TextOut(int, int, const std::string& text) override { Texts.push_back(text); }
  // The share of the pixels that are the tile's red.
  double Red() const {
    size_t n = 0;
    for (const uint32_t v : Pixels) n += (v >> 24) == 255 && (v >> 16 & 0xFF) > 200 && (v & 0xFFFF) < 0x3030;
    return Pixels.empty() ? 0 : double(n) / double(Pixels.size());
  }
  std::vector<uint32_t> Pixels;
  std::vector<std::string> Texts;
};

class TileLayerTest : public TempDir {
protected:
  void SetUp() override {
    TempDir::SetUp();
    ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    const std::string ppm = (dir / "red.ppm").string(), png = (dir / "red.png").string();
    std::string rgb;
    for (int i = 0; i < 256 * 256; ++i) rgb += "\xff\x10\x10";
    WriteAll(ppm, "P6\n256 256\n255\n" + rgb);
    ASSERT_EQ(std::system(("gdal_translate -q -of PNG " + ppm + " " + png).c_str()), 0);
    Tile = ReadAll(png);
  }
  void TearDown() override {
    ::unsetenv("XDG_CACHE_HOME");
    TempDir::TearDown();
  }
  // Draws until the fetcher is idle and nothing new came, at most five seconds.
  void DrawUntilSettled(TRasterLayer& layer, PictureCanvas& canvas, const TViewBox& view) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
      layer.Draw(canvas, view);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      News.push_back(layer.TakeNews());
    } while ((!layer.Fetchers()[0]->Idle() || News.back().Redraw) && std::chrono::steady_clock::now() < deadline);
  }
  std::string Tile;
  std::vector<TLayerNews> News;
};

TEST_F(TileLayerTest, TilesAreFetchedCachedAndDrawnFromTheCacheWhenTheServerIsGone) {
  TTileServer server(Tile);
  const std::string address = "http://127.0.0.1:" + std::to_string(server.Port) + "/{z}/{x}/{-y}.png";
  std::string datum = "Tokyo";
  // About zoom 12 over Kyushu: a dozen tiles or so.
  const TViewBox view{130.0, 33.0, 130.6, 33.45};
  {
    TRasterLayer layer(datum);
    ASSERT_EQ(layer.LoadInSet(address).End, TLayerLoad::Shown);
    PictureCanvas canvas;
    layer.Draw(canvas, view);
    EXPECT_LT(canvas.Red(), 0.01);  // nothing in the cache yet: drawn at once, clear
    DrawUntilSettled(layer, canvas, view);
    EXPECT_GT(canvas.Red(), 0.99);
    ASSERT_FALSE(canvas.Texts.empty());
    EXPECT_EQ(canvas.Texts.back(), "Tiles: 127.0.0.1");
    const int fetched = server.Requests;
    EXPECT_GT(fetched, 0);
    EXPECT_LE(fetched, 30);
    EXPECT_LE(server.Peak, kTileConnections);
    std::lock_guard lock(server.M);
    for (const std::string& agent : server.Agents) EXPECT_EQ(agent.rfind("Orvane/", 0), 0u) << agent;
    // The same view again: from the cache, nothing asked of the server.
    DrawUntilSettled(layer, canvas, view);
    EXPECT_EQ(server.Requests, fetched);
  }
  server.Stop();
  TRasterLayer layer(datum);
  ASSERT_EQ(layer.LoadInSet(address).End, TLayerLoad::Shown);
  PictureCanvas canvas;
  layer.Draw(canvas, view);
  EXPECT_GT(canvas.Red(), 0.99);  // from the cache at once
  // A view the cache lacks: its fault is said once, and the cache's tiles stay drawn.
  News.clear();
  DrawUntilSettled(layer, canvas, {131.0, 33.0, 131.6, 33.45});
  DrawUntilSettled(layer, canvas, {131.5, 33.0, 132.1, 33.45});
  int told = 0;
  for (const TLayerNews& n : News)
    told += n.Message.find("Tile server 127.0.0.1 cannot be reached (") != std::string::npos;
  for (const TLayerNews& n : News) EXPECT_EQ(n.Message.find('\n'), std::string::npos) << n.Message;
  EXPECT_EQ(told, 1);
  layer.Draw(canvas, view);
  EXPECT_GT(canvas.Red(), 0.99);
}

TEST_F(TileLayerTest, ClosingDoesNotWaitForAServerThatNeverAnswers) {
  TTileServer server(Tile);
  server.Silent = true;
  std::string datum = "Tokyo";
  auto layer = std::make_unique<TRasterLayer>(datum);
  ASSERT_EQ(layer->LoadInSet("http://127.0.0.1:" + std::to_string(server.Port) + "/{z}/{x}/{y}.png").End,
            TLayerLoad::Shown);
  PictureCanvas canvas;
  layer->Draw(canvas, {130.0, 33.0, 130.6, 33.45});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (server.Requests == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_GT(server.Requests, 0);
  // The fetch would end only with the server's timeout; the layer goes well before it.
  const auto start = std::chrono::steady_clock::now();
  layer.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(kTileTimeoutSeconds / 2));
}

TEST(TileService, AddressesAreCheckedAndTheirCacheFoldersKeptApart) {
  for (const char* bad : {"ftp://tiles.example.org/{z}/{x}/{y}.png", "https://tiles.example.org/{z}/{x}.png",
                          "https://tiles.example.org/{z}/{x}/{y} .png", "https:///{z}/{x}/{y}.png"}) {
    try {
      TileServiceOf(bad, "/c");
      ADD_FAILURE() << bad;
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
    }
  }
  const TTileService osm = TileServiceOf("https://{s}.tile.openstreetmap.org/{z}/{x}/{y}.png?a=1&b=2", "/c");
  EXPECT_EQ(osm.Attribution, "(c) OpenStreetMap contributors");
  EXPECT_NE(osm.Online.find("https://a.tile.openstreetmap.org/${z}/${x}/${y}.png?a=1&amp;b=2"), std::string::npos);
  EXPECT_EQ(osm.CachePath.rfind("/c/a.tile.openstreetmap.org-", 0), 0u);
  EXPECT_NE(TileServiceOf("https://t.example.org/{z}/{x}/{-y}.png", "/c").Online.find("<YOrigin>bottom"),
            std::string::npos);
  EXPECT_NE(TileServiceOf("https://t.example.org/a/{z}/{x}/{y}.png", "/c").CachePath,
            TileServiceOf("https://t.example.org/b/{z}/{x}/{y}.png", "/c").CachePath);
}

}  // namespace
}  // namespace orvane
