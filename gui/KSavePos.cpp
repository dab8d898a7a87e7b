// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/KSavePos.h"

#include <algorithm>
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

std::vector<TScreenArea> Screens() {
  std::vector<TScreenArea> out;
  const auto add = [&out](const QScreen* s) {
    const QRect w = s->geometry(), a = s->availableGeometry();
    out.push_back({{w.x(), w.y(), w.width(), w.height()}, {a.x(), a.y(), a.width(), a.height()}});
  };
  if (const QScreen* primary = QGuiApplication::primaryScreen()) add(primary);
  for (const QScreen* s : QGuiApplication::screens())
    if (s != QGuiApplication::primaryScreen()) add(s);
  return out;
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

bool TKSaveFormPos::WndProc(QEvent* event) {
  if (event->type() == QEvent::Show && !EverShown) {
    EverShown = true;
    FitFrame();
  }
  return TKCustomSubWnd::WndProc(event);
}

// The restored size left no room for the frame, whose size is known only once the window
// exists: the window shrinks and moves until its frame fits the screen's available area.
void TKSaveFormPos::FitFrame() {
  if (OwnerWindow->windowState() != Qt::WindowNoState) return;
  const QScreen* screen = OwnerWindow->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = OwnerWindow->frameGeometry(), client = OwnerWindow->geometry();
  const int extraW = frame.width() - client.width(), extraH = frame.height() - client.height();
  const int w = std::max(1, std::min(client.width(), area.width() - extraW));
  const int h = std::max(1, std::min(client.height(), area.height() - extraH));
  // Only a window too large is touched; one partly off the screen is where its user left it.
  if (w == client.width() && h == client.height()) return;
  OwnerWindow->resize(w, h);
  const int x = std::clamp(frame.x(), area.left(), std::max(area.left(), area.left() + area.width() - w - extraW));
  const int y = std::clamp(frame.y(), area.top(), std::max(area.top(), area.top() + area.height() - h - extraH));
  OwnerWindow->move(x, y);
}

void TKSaveFormPos::SavePos() {
  if (HasPlacement()) WriteValue(FormatPlacement(CurrentPlacement()));
}

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

  const std::vector<TScreenArea> screens = Screens();
  TRestoredRect normal;
  // An empty or inverted rectangle keeps the window's own, made usable the same way.
  if (!RestoreRect(p, screens, normal) && !RestoreRect(CurrentPlacement(), screens, normal)) return;
  const TPixelRect& r = normal.Rect;
  // The normal rectangle is set in the normal state, so that Qt keeps it as the one a maximized
  // window returns to. None of these calls shows a hidden window.
  if (current & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
    OwnerWindow->setWindowState(Qt::WindowNoState);
  if (normal.ByFrame) {
    OwnerWindow->resize(r.Width, r.Height);
    OwnerWindow->move(r.Left, r.Top);  // a window's position is its frame's
  } else {
    OwnerWindow->setGeometry(r.Left, r.Top, r.Width, r.Height);
  }
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
    if (pos && pos->SaveBounds && pos->HasPlacement())
      out.emplace_back(pos->Key(), FormatPlacement(pos->CurrentPlacement()));
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
