// The track window. It is created once at start-up and shown and hidden by the main window's
// "TrackWindow" item; its own close button runs that same toggle.
#pragma once

#include <functional>

#include <QWidget>

namespace orvane {

class TTrackForm : public QWidget {
public:
  explicit TTrackForm(QWidget* parent = nullptr);

  // The main window's menTrkWindowClick; the close button runs it instead of just hiding.
  std::function<void()> OnCloseToggle;

protected:
  void closeEvent(QCloseEvent* event) override;
};

// The one track window of the program (null before start-up created it).
extern TTrackForm* TrackForm;

}  // namespace orvane
