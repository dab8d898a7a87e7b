#include "app/Startup.h"

#include "app/USatVForm.h"
#include "nmea/UMoniForm.h"
#include "settings/USetForm.h"
#include "track/UTrackForm.h"

namespace orvane {

void CreateForms() {
  SatVForm = new TSatVForm;
  MoniForm = new TMoniForm;
  MoniForm->OnCloseToggle = [] { SatVForm->menDataWindowClick(); };
  TrackForm = new TTrackForm;
  TrackForm->OnCloseToggle = [] { SatVForm->menTrkWindowClick(); };
  SetForm = new TSetForm(SatVForm);
}

void DestroyForms() {
  // The settings dialog is a child of the main window and goes with it.
  SetForm = nullptr;
  delete TrackForm;
  TrackForm = nullptr;
  delete MoniForm;
  MoniForm = nullptr;
  delete SatVForm;
  SatVForm = nullptr;
}

}  // namespace orvane
