#include "app/Startup.h"

#include "gui/USatVForm.h"
#include "gui/UMoniForm.h"
#include "gui/KSavePos.h"
#include "gui/USetForm.h"
#include "gui/UTrackForm.h"

namespace orvane {

void CreateForms() {
  SatVForm = new TSatVForm;
  AttachFormPos(SatVForm);
  MoniForm = new TMoniForm;
  AttachFormPos(MoniForm);
  MoniForm->OnCloseToggle = [] { SatVForm->menDataWindowClick(); };
  // The monitor shows the receiver too, a port that failed while the main window was created
  // included.
  SatVForm->Receiver.AddDisplay(*MoniForm);
  TrackForm = new TTrackForm;
  AttachFormPos(TrackForm);
  TrackForm->OnCloseToggle = [] { SatVForm->menTrkWindowClick(); };
  SetForm = new TSetForm(SatVForm);
}

void DestroyForms() {
  // Qt tells nobody when a window's destruction begins, so the placements are taken here, while
  // every window is whole, and written after the main window's destruction saved the settings.
  const TPendingPlacements placements = TakePlacements({TrackForm, MoniForm, SatVForm});
  // The settings dialog is a child of the main window and goes with it.
  SetForm = nullptr;
  if (SatVForm && MoniForm) SatVForm->Receiver.RemoveDisplay(*MoniForm);
  delete TrackForm;
  TrackForm = nullptr;
  delete MoniForm;
  MoniForm = nullptr;
  delete SatVForm;
  SatVForm = nullptr;
  WritePlacements(placements);
}

}  // namespace orvane
