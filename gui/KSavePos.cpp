#include "gui/KSavePos.h"

#include <cstdio>

#include <QGuiApplication>
#include <QScreen>

#include "gui/ErrorHandler.h"

namespace orvane {
namespace {

constexpr const char* kFormPosName = "FormPos";

Qt::WindowStates StateFlags(int state) {
  switch (state) {
    case kStateMinimized:
      return Qt::WindowMinimized;
    case kStateMaximized:
      return Qt::WindowMaximized;
    default:
      return Qt::WindowNoState;
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

void TKSavePosIni::WriteValue(const std::string& text) { StorePlacements({{Key(), text}}); }

std::string TKSavePosIni::ReadValue() { return ReadPlacement(Key()); }

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
    StorePlacements(placements);
  } catch (const std::exception& e) {
    ExitFailures().push_back(std::string("The window placements were not saved: ") + e.what());
  }
}

}  // namespace orvane
