// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "gui/KSavePos.h"
#include "gui/UConsoleForm.h"
#include "gui/UMoniForm.h"
#include "gui/UReplayForm.h"
#include "gui/USatVForm.h"
#include "gui/USetForm.h"
#include "gui/USignalForm.h"
#include "gui/UTrackForm.h"

namespace orvane {

namespace {

// The console lists the lines the monitor's last-sentence line shows, as they come.
class TConsoleLines final : public TNmeaDisplay {
public:
  bool WantsBlocks() const override { return false; }
  bool WantsEveryLine() const override { return true; }
  void SetRecvCaption(std::string_view sentence) override {
    if (ConsoleForm) ConsoleForm->AddLine(sentence);
  }
};
TConsoleLines ConsoleLines;

}  // namespace

void CreateForms() {
  SatVForm = new TSatVForm;
  AttachFormPos(SatVForm);
  MoniForm = new TMoniForm;
  AttachFormPos(MoniForm);
  MoniForm->OnCloseToggle = [] { SatVForm->menDataWindowClick(); };
  // The monitor shows the receiver too, a port that failed while the main window was created
  // included.
  MoniForm->SourceName = [] { return SatVForm->Receiver.Source().Name(); };
  SatVForm->Receiver.AddDisplay(*MoniForm);
  TrackForm = new TTrackForm;
  AttachFormPos(TrackForm);
  TrackForm->OnCloseToggle = [] { SatVForm->menTrkWindowClick(); };
  SatVForm->Receiver.AddDisplay(*TrackForm);
  SignalForm = new TSignalForm(SatVForm->pnlSat);
  AttachFormPos(SignalForm);
  SignalForm->OnCloseToggle = [] { SatVForm->menSignalWindowClick(); };
  SatVForm->pnlSat->OnSatsChanged = [] { SignalForm->update(); };
  ConsoleForm = new TConsoleForm;
  AttachFormPos(ConsoleForm);
  ConsoleForm->OnCloseToggle = [] { SatVForm->menConsoleWindowClick(); };
  SatVForm->Receiver.AddDisplay(ConsoleLines);
  ReplayForm = new TReplayForm(SatVForm->Receiver.Replayer());
  AttachFormPos(ReplayForm);
  ReplayForm->hide();  // shown by a replay's start
  SatVForm->Receiver.Replayer().OnChanged = [] { ReplayForm->Refresh(); };
  SetForm = new TSetForm(SatVForm);
}

void DestroyForms() {
  // Qt tells nobody when a window's destruction begins, so the placements are taken here, while
  // every window is whole, and written after the main window's destruction saved the settings.
  const TPendingPlacements placements =
      TakePlacements({ReplayForm, ConsoleForm, SignalForm, TrackForm, MoniForm, SatVForm});
  // The settings dialog is a child of the main window and goes with it.
  SetForm = nullptr;
  if (SatVForm && MoniForm) SatVForm->Receiver.RemoveDisplay(*MoniForm);
  if (SatVForm) SatVForm->Receiver.RemoveDisplay(ConsoleLines);
  if (SatVForm && TrackForm) SatVForm->Receiver.RemoveDisplay(*TrackForm);
  if (SatVForm) {
    SatVForm->pnlSat->OnSatsChanged = nullptr;
    SatVForm->Receiver.Replayer().OnChanged = nullptr;
  }
  delete ReplayForm;
  ReplayForm = nullptr;
  delete ConsoleForm;
  ConsoleForm = nullptr;
  delete SignalForm;
  SignalForm = nullptr;
  delete TrackForm;
  TrackForm = nullptr;
  delete MoniForm;
  MoniForm = nullptr;
  delete SatVForm;
  SatVForm = nullptr;
  WritePlacements(placements);
}

}  // namespace orvane
