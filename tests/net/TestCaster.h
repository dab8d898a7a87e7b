// SPDX-License-Identifier: GPL-3.0-or-later
// A small caster of corrections on the loopback interface, for the client's tests and the window's.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/LoopbackListener.h"

namespace orvane {

// A caster of one thread: each connection's request head is kept, the answer for its path
// written (in pieces, to try the reader's joins), and whatever the client sends after it kept too.
// A path with no answer gets the sourcetable, as real casters do.
class TTestCaster {
public:
  TTestCaster() { Fd = ListenOnLoopback(Port, 4); }
  ~TTestCaster() {
    Stop = true;
    if (Thread.joinable()) Thread.join();
    ::close(Fd);
  }
  void Run() {
    Thread = std::thread([this] {
      while (!Stop) {
        pollfd p{Fd, POLLIN, 0};
        if (::poll(&p, 1, 20) != 1) continue;
        const int c = ::accept(Fd, nullptr, nullptr);
        if (c >= 0) Serve(c);
      }
    });
  }
  std::vector<std::string> Requests() {
    std::lock_guard lock(Mutex);
    return Requests_;
  }
  std::string Uploaded() {
    std::lock_guard lock(Mutex);
    return Uploaded_;
  }

  uint16_t Port = 0;
  std::string Table =
      "SOURCETABLE 200 OK\r\nContent-Type: text/plain\r\n\r\n"
      "STR;NEAR;Near;RTCM 3.2;1005(10);2;GPS;NET;DEU;52.50;13.40;0;0;x;none;B;N;9600;\r\n"
      "STR;VRS;Virtual;RTCM 3.3;1074(1);2;GPS+GLO;NET;DEU;52.00;13.00;1;1;x;none;B;N;9600;\r\n"
      "ENDSOURCETABLE\r\n";
  std::map<std::string, std::string> Answers;  // path: what is written after the request
  bool CloseAfterAnswer = false;

private:
  void Serve(int c) {
    std::string request;
    char buf[4096];
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (request.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < until) {
      pollfd p{c, POLLIN, 0};
      if (::poll(&p, 1, 20) != 1) continue;
      const ssize_t n = ::recv(c, buf, sizeof buf, 0);
      if (n <= 0) break;
      request.append(buf, static_cast<size_t>(n));
    }
    const std::string path = request.substr(4, request.find(' ', 4) - 4);
    {
      std::lock_guard lock(Mutex);
      Requests_.push_back(request.substr(0, request.find("\r\n\r\n") + 4));
    }
    const auto found = Answers.find(path);
    const std::string answer = found == Answers.end() ? Table : found->second;
    for (size_t at = 0; at < answer.size(); at += 7) {
      ::send(c, answer.data() + at, std::min<size_t>(7, answer.size() - at), MSG_NOSIGNAL);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // A table or a refusal ends the connection; a stream stays until the client goes.
    while (found != Answers.end() && !CloseAfterAnswer && !Stop) {
      pollfd p{c, POLLIN, 0};
      if (::poll(&p, 1, 20) != 1) continue;
      const ssize_t n = ::recv(c, buf, sizeof buf, 0);
      if (n <= 0) break;
      std::lock_guard lock(Mutex);
      Uploaded_.append(buf, static_cast<size_t>(n));
    }
    ::close(c);
  }

  int Fd = -1;
  std::thread Thread;
  std::atomic<bool> Stop{false};
  std::mutex Mutex;
  std::vector<std::string> Requests_;
  std::string Uploaded_;
};

}  // namespace orvane
