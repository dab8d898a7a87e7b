// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimOutput.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orvane {
namespace {

std::string Cause() { return std::strerror(errno); }

bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

class TDescriptorOutput : public TSimOutput {
public:
  TDescriptorOutput(int fd, std::string name) : Fd(fd), Name(std::move(name)) {}
  bool Write(std::string_view bytes) override {
    if (WriteFully(Fd, bytes)) return true;
    Error_ = errno == EPIPE ? "" : "cannot write \"" + Name + "\": " + Cause();
    return false;
  }

private:
  int Fd;
  std::string Name;
};

class TPtyOutput : public TSimOutput {
public:
  explicit TPtyOutput(int fd) : Fd(fd) {}
  ~TPtyOutput() override { ::close(Fd); }
  bool ByteAtATime() const override { return true; }
  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      pollfd p{Fd, POLLOUT, 0};
      if (::poll(&p, 1, 200) < 0) {
        if (errno == EINTR) return true;
        Error_ = "cannot write the pseudo-terminal: " + Cause();
        return false;
      }
      // No reader, or one that does not read: dropped, and the pace kept.
      if ((p.revents & POLLHUP) || !(p.revents & POLLOUT)) return true;
      const ssize_t n = ::write(Fd, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR || errno == EIO || errno == EAGAIN) return true;
        Error_ = "cannot write the pseudo-terminal: " + Cause();
        return false;
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

private:
  int Fd;
};

class TFileOutput : public TSimOutput {
public:
  TFileOutput(int fd, std::string temporary, std::string target, std::string name)
      : Fd(fd), Temporary(std::move(temporary)), Target(std::move(target)), Name(std::move(name)) {}
  ~TFileOutput() override {
    if (Fd >= 0) ::close(Fd);
    if (!Temporary.empty()) ::unlink(Temporary.c_str());
  }
  bool Write(std::string_view bytes) override {
    if (WriteFully(Fd, bytes)) return true;
    Error_ = "cannot write \"" + Name + "\": " + Cause();
    return false;
  }
  bool Finish() override {
    // A full disk may show only now, when the last blocks are written out.
    const bool synced = Temporary.empty() || ::fsync(Fd) == 0;
    const int err = errno;
    const bool closed = ::close(Fd) == 0;
    Fd = -1;
    if (!synced || !closed) {
      Error_ = "cannot write \"" + Name + "\": " + std::strerror(synced ? errno : err);
      return false;
    }
    if (Temporary.empty()) return true;
    if (::rename(Temporary.c_str(), Target.c_str()) != 0) {
      Error_ = "cannot write \"" + Name + "\": " + Cause();
      return false;
    }
    Temporary.clear();
    return true;
  }

private:
  int Fd;
  std::string Temporary, Target, Name;
};

class TTcpOutput : public TSimOutput {
public:
  void Idle(int ms) override {
    Server.Poll(ms);
    // Said once each time the server runs out, not at every pause.
    const int err = Server.AcceptError();
    if (err != 0 && err != Told && OnNotice)
      OnNotice("cannot take another client (" + std::string(std::strerror(err)) + "); the " +
               std::to_string(Server.ClientCount()) + " connected are served, the others wait");
    Told = err;
  }
  bool Write(std::string_view bytes) override {
    Server.Send(bytes);
    return true;
  }
  // What the clients have not read yet goes out before the server closes, within a few seconds.
  bool Finish() override {
    Server.Drain(5000);
    Server.Close();
    return true;
  }
  TTcpServer Server;
  int Told = 0;
};

class TUdpOutput : public TSimOutput {
public:
  bool Write(std::string_view bytes) override {
    if (Sender.Send(bytes, Error_)) return true;
    Error_ = "cannot send to " + Name + ": " + Error_;
    return false;
  }
  TUdpSender Sender;
  std::string Name;
};

}  // namespace

void TSimOutput::Idle(int ms) { ::poll(nullptr, 0, ms); }

std::unique_ptr<TSimOutput> DescriptorOutput(int fd, std::string name) {
  return std::make_unique<TDescriptorOutput>(fd, std::move(name));
}

std::unique_ptr<TSimOutput> PtyOutput(std::string& path, std::string& error) {
  const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
    error = "cannot create a pseudo-terminal: " + Cause();
    if (fd >= 0) ::close(fd);
    return nullptr;
  }
  path = ptsname(fd);
  // Raw on the reader's side, so that a plain `cat` sees the CR LF as sent.
  const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave >= 0) {
    termios t{};
    if (tcgetattr(slave, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(slave, TCSANOW, &t);
    }
    ::close(slave);
  }
  return std::make_unique<TPtyOutput>(fd);
}

std::unique_ptr<TSimOutput> FileOutput(const std::string& file, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // A link is followed, so that the file it names is replaced and the link stays.
  const fs::path target = fs::weakly_canonical(fs::path(file), ec);
  const fs::file_status st = fs::status(ec ? fs::path(file) : target, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    if (fs::is_directory(st)) {
      error = "cannot write \"" + file + "\": " + std::strerror(EISDIR);
      return nullptr;
    }
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      error = "cannot open \"" + file + "\": " + Cause();
      return nullptr;
    }
    return std::make_unique<TFileOutput>(fd, "", "", file);
  }
  const fs::path where = ec ? fs::path(file) : target;
  std::string temporary = (where.parent_path() / ("." + where.filename().string() + ".XXXXXX")).string();
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    error = "cannot create \"" + file + "\": " + Cause();
    return nullptr;
  }
  // The permissions a plain new file would get, or those of the file it replaces.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat old {};
  ::fchmod(fd, ::stat(where.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask));
  return std::make_unique<TFileOutput>(fd, temporary, where.string(), file);
}

std::unique_ptr<TSimOutput> TcpOutput(const std::string& host, uint16_t port, std::string& address,
                                      std::string& error) {
  auto out = std::make_unique<TTcpOutput>();
  if (!out->Server.Listen(host, port, error)) return nullptr;
  address = "tcp://" + (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
            std::to_string(out->Server.Port());
  return out;
}

std::unique_ptr<TSimOutput> UdpOutput(const std::string& host, uint16_t port, std::string& error) {
  auto out = std::make_unique<TUdpOutput>();
  if (!out->Sender.Open(host, port, error)) return nullptr;
  out->Name = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
  return out;
}

}  // namespace orvane
