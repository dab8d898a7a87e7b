#include "settings/KSavePos.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <QGuiApplication>
#include <QScreen>

#include "app/IniFile.h"
#include "app/Settings.h"
#include "common/HostConv.h"
#include "common/SplitCommaText.h"

namespace orvane {
namespace {

constexpr const char* kBounds = "Bounds";
constexpr const char* kFormPosName = "FormPos";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string() : path.substr(0, slash);
}

// The file name with its extension replaced by ".ini"; a name without one gets it appended. A
// leading dot starts a hidden name, not an extension.
std::string IniNameOf(const std::string& programPath) {
  const size_t slash = programPath.rfind('/');
  std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name + ".ini";
}

std::string ProgramPath() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("Orvane");
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/";
}

Qt::WindowStates StateFlags(int state) {
  switch (state) {
    case kStateMinimized: return Qt::WindowMinimized;
    case kStateMaximized: return Qt::WindowMaximized;
    default: return Qt::WindowNoState;
  }
}

// A rectangle that no screen shows (a monitor since removed, a hand-edited value) is moved onto
// the primary screen, keeping its size; the window would otherwise open where nobody can reach it.
QRect OnSomeScreen(QRect r) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.isEmpty()) return r;
  for (const QScreen* s : screens)
    if (s->geometry().intersects(r)) return r;
  r.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
  return r;
}

}  // namespace

std::string FormatPlacement(const TPlacement& p) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%d,%d,%d,%d,%d", p.State, p.MinX, p.MinY, p.MaxX, p.MaxY, p.Left, p.Top,
                p.Right, p.Bottom);
  return buf;
}

bool ParsePlacement(std::string_view text, TPlacement& p) {
  const std::vector<std::string> items = SplitCommaText(text);
  if (items.size() != 9) return false;
  int* const fields[9] = {&p.State, &p.MinX, &p.MinY, &p.MaxX, &p.MaxY, &p.Left, &p.Top, &p.Right, &p.Bottom};
  for (size_t i = 0; i < 9; ++i) {
    int32_t v;
    if (TryStrToInt(items[i], v)) *fields[i] = v;
  }
  return true;
}

std::string PlacementFileFor(const std::string& programPath, const std::string& settingsFile, bool settingsGiven) {
  if (settingsGiven) return settingsFile;
  return FolderOf(settingsFile) + "/" + IniNameOf(programPath);
}

std::string PlacementFileName() {
  const std::string settings = SettingsFileName();
  const std::string folder = ProgramFolder();
  const bool writable = ::access(folder.empty() ? "/" : folder.c_str(), W_OK) == 0;
  const bool given =
      settings != DefaultSettingsFileName(folder, writable, std::getenv("XDG_CONFIG_HOME"), HomeFolder());
  return PlacementFileFor(ProgramPath(), settings, given);
}

// ---- TKSaveFormPos ------------------------------------------------------------------------------

TKSaveFormPos::TKSaveFormPos(QWidget* owner) : TKCustomSubWnd(owner), OwnerWindow(owner) {}

TPlacement TKSaveFormPos::CurrentPlacement() const {
  TPlacement p = Kept;
  const Qt::WindowStates st = OwnerWindow->windowState();
  p.State = kStateNormal;
  if (st & Qt::WindowMaximized) p.State = kStateMaximized;
  if (st & Qt::WindowMinimized) p.State = kStateMinimized;
  QRect r = OwnerWindow->geometry();
  // A maximized window's own geometry is the screen's; the one to come back to is kept apart.
  if (st & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
    const QRect normal = OwnerWindow->normalGeometry();
    if (normal.isValid()) r = normal;
  }
  p.Left = r.left();
  p.Top = r.top();
  p.Right = r.left() + r.width();
  p.Bottom = r.top() + r.height();
  return p;
}

void TKSaveFormPos::SavePos() { WriteValue(FormatPlacement(CurrentPlacement())); }

void TKSaveFormPos::LoadPos() {
  TPlacement p = CurrentPlacement();
  if (!ParsePlacement(ReadValue(), p)) return;
  Kept.MinX = p.MinX;
  Kept.MinY = p.MinY;
  Kept.MaxX = p.MaxX;
  Kept.MaxY = p.MaxY;

  const Qt::WindowStates current = OwnerWindow->windowState();
  Qt::WindowStates target = current;
  if (p.State >= kStateNormal && p.State <= kStateMaximized && (ResumeIconic || p.State != kStateMinimized))
    target = StateFlags(p.State);

  QRect normal(p.Left, p.Top, p.Right - p.Left, p.Bottom - p.Top);
  if (normal.width() <= 0 || normal.height() <= 0) {
    const TPlacement now = CurrentPlacement();
    normal = QRect(now.Left, now.Top, now.Right - now.Left, now.Bottom - now.Top);
  }
  // The normal rectangle is set in the normal state, so that Qt keeps it as the one a maximized
  // window returns to. Neither call shows a hidden window.
  if (current & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
    OwnerWindow->setWindowState(Qt::WindowNoState);
  OwnerWindow->setGeometry(OnSomeScreen(normal));
  if (target != Qt::WindowNoState) OwnerWindow->setWindowState(target);
}

void TKSaveFormPos::Loaded() {
  SetTarget(OwnerWindow);
  if (SaveBounds) LoadPos();
}

// ---- TKSavePosIni -------------------------------------------------------------------------------

std::string TKSavePosIni::Key() const { return Owner()->objectName().toStdString() + ".Bounds"; }

void TKSavePosIni::WriteValue(const std::string& text) {
  TIniFile ini(PlacementFileName());
  ini.WriteString(kBounds, Key(), text);
}

std::string TKSavePosIni::ReadValue() {
  const TIniFile ini(PlacementFileName());
  return ini.ReadString(kBounds, Key(), "");
}

TKSavePosIni* AttachFormPos(QWidget* window) {
  auto* pos = new TKSavePosIni(window);
  pos->setObjectName(kFormPosName);
  pos->ResumeIconic = false;
  pos->SaveBounds = true;
  const bool shown = window->isVisible();
  if (shown) window->hide();
  pos->Loaded();
  if (shown) window->show();
  return pos;
}

TKSaveFormPos* FormPosOf(const QWidget* window) {
  if (!window) return nullptr;
  for (QObject* child : window->children())
    if (auto* pos = dynamic_cast<TKSaveFormPos*>(child); pos && pos->objectName() == kFormPosName) return pos;
  return nullptr;
}

TPendingPlacements TakePlacements(std::initializer_list<const QWidget*> windows) {
  TPendingPlacements out;
  for (const QWidget* w : windows) {
    auto* pos = dynamic_cast<TKSavePosIni*>(FormPosOf(w));
    if (pos && pos->SaveBounds) out.emplace_back(pos->Key(), FormatPlacement(pos->CurrentPlacement()));
  }
  return out;
}

void WritePlacements(const TPendingPlacements& placements) {
  if (placements.empty()) return;
  try {
    TIniFile ini(PlacementFileName());
    ini.BeginUpdate();
    for (const auto& [key, line] : placements) ini.WriteString(kBounds, key, line);
    ini.EndUpdate();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Orvane: the window placements were not saved: %s\n", e.what());
  }
}

}  // namespace orvane
