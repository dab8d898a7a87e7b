// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Session.h"
#include "gui/KSavePos.h"
#include "gui/UChartsForm.h"
#include "gui/UConsoleForm.h"
#include "gui/UDeviationForm.h"
#include "gui/UMoniForm.h"
#include "gui/UNtripForm.h"
#include "gui/UReplayForm.h"
#include "gui/USatVForm.h"
#include "gui/USetForm.h"
#include "gui/UShareForm.h"
#include "gui/USignalForm.h"
#include "gui/UTrackForm.h"
#include "nmea/NmeaRec.h"
#include "settings/CommandList.h"

namespace orvane {

namespace {

std::optional<std::string> SourceForRun;
std::optional<TShareSettings> ShareForRun;

// The receiver's displays, in the order they are told.
std::vector<TNmeaDisplay*> Displays() {
  std::vector<TNmeaDisplay*> all;
  if (SatVForm) all.push_back(SatVForm->pnlSat);
  for (TNmeaDisplay* d : std::initializer_list<TNmeaDisplay*>{MoniForm, TrackForm, SignalForm, ConsoleForm})
    if (d) all.push_back(d);
  return all;
}

// The console's command line sends through the receiver and offers the commands file's list.
void WireConsoleCommands(TReceiver& receiver) {
  ConsoleForm->OnSend = [&receiver](std::string_view sentence, std::string& error) {
    return receiver.Send(sentence, error);
  };
  std::string error;
  ConsoleForm->SetCommands(LoadCommandList(error), CommandListFileName());
  if (!error.empty()) ConsoleForm->ShowNotice(error);
}

// The Corrections dialog edits the settings and asks the session to run the stream.
void WireCorrections(TSession& session) {
  NtripForm = new TNtripForm(SatVForm);
  NtripForm->OnStart = [&session] { session.StartCorrections(); };
  NtripForm->OnStop = [&session] { session.StopCorrections(); };
  NtripForm->StatusText = [&session] { return session.CorrectionsStatus(); };
  NtripForm->Running = [&session] { return session.Ntrip.Active(); };
  NtripForm->CurrentGga = [&session] { return session.Receiver.LastGga(); };
}

}  // namespace

void SetSourceForRun(std::string address) { SourceForRun = std::move(address); }

void SetShareForRun(std::string address) { ShareForRun = ShareForAddress(address); }

void CreateForms() {
  Session = new TSession(SourceForRun, ShareForRun);
  TReceiver& receiver = Session->Receiver;
  const auto sourceName = [&receiver] { return receiver.Source().Name(); };

  SatVForm = new TSatVForm(receiver);
  AttachFormPos(SatVForm);
  SatVForm->pnlSat->SourceName = sourceName;
  MoniForm = new TMoniForm;
  AttachFormPos(MoniForm);
  MoniForm->OnCloseToggle = [] { SatVForm->menDataWindowClick(); };
  MoniForm->SourceName = sourceName;
  TrackForm = new TTrackForm;
  AttachFormPos(TrackForm);
  TrackForm->OnCloseToggle = [] { SatVForm->menTrkWindowClick(); };
  SignalForm = new TSignalForm(NmeaRec);
  AttachFormPos(SignalForm);
  SignalForm->OnCloseToggle = [] { SatVForm->menSignalWindowClick(); };
  ConsoleForm = new TConsoleForm;
  AttachFormPos(ConsoleForm);
  ConsoleForm->OnCloseToggle = [] { SatVForm->menConsoleWindowClick(); };
  WireConsoleCommands(receiver);
  DeviationForm = new TDeviationForm(NmeaRec);
  AttachFormPos(DeviationForm);
  DeviationForm->OnCloseToggle = [] { SatVForm->menDeviationWindowClick(); };
  ChartsForm = new TChartsForm(NmeaRec);
  AttachFormPos(ChartsForm);
  ChartsForm->OnCloseToggle = [] { SatVForm->menChartsWindowClick(); };
  // Every window shows the receiver, a source that failed while the session opened it included.
  for (TNmeaDisplay* d : Displays()) receiver.AddDisplay(*d);
  ReplayForm = new TReplayForm(receiver.Replayer());
  AttachFormPos(ReplayForm);
  ReplayForm->hide();  // shown by a replay's start
  SetForm = new TSetForm(SatVForm);
  ShareForm = new TShareForm(SatVForm);
  ShareForm->OnApply = [](const TShareSettings& s) { return Session->ApplyShare(s); };
  SatVForm->OnShareForm = [] { return Session->ShareInForce(); };
  // The console tells what the share does; the session tells it as it changes.
  Session->OnShareStatus = [](const std::string& status) {
    if (ConsoleForm) ConsoleForm->ShowShare(status, Session->ShareInForce().On);
  };
  ConsoleForm->ShowShare(Session->Share.StatusText(), Session->ShareInForce().On);
  WireCorrections(*Session);

  receiver.Recorder().OnFailure = [](const std::string& message) { SatVForm->RecordingFailed(message); };
  receiver.Replayer().OnRunningChanged = [](bool running) { SatVForm->ReplayRunning(running); };
  receiver.Replayer().OnChanged = [] { ReplayForm->Refresh(); };
  // A replay feeds the track by the log's time, fix by fix.
  // The deviation window collects every fix, also those of a burst the other windows see only
  // the newest of.
  receiver.OnSentence = [&receiver](const TSentenceInfo& info) {
    if (TrackForm && info.outcome == TSentenceOutcome::Decoded) TrackForm->SentenceDecoded(info.type);
    if (DeviationForm) DeviationForm->SentenceDecoded(info, receiver.Proc().Fields());
    if (ChartsForm) ChartsForm->SentenceDecoded(info, receiver.Proc());
  };
  receiver.OnGnssQuestion = [] { SatVForm->GnssQuestion.Ask(); };
}

void DestroyForms() {
  // Qt tells nobody when a window's destruction begins, so the placements are taken here, while
  // every window is whole, and written after the session's closing saved the settings.
  const TPendingPlacements placements =
      TakePlacements({ChartsForm, DeviationForm, ReplayForm, ConsoleForm, SignalForm, TrackForm, MoniForm, SatVForm});
  // The settings and share dialogs are children of the main window and go with it.
  SetForm = nullptr;
  ShareForm = nullptr;
  NtripForm = nullptr;
  if (Session) {
    TReceiver& receiver = Session->Receiver;
    for (TNmeaDisplay* d : Displays()) receiver.RemoveDisplay(*d);
    // Told of nothing more: the windows go first, the replay stops after them.
    receiver.Recorder().OnFailure = [](const std::string& message) {
      std::fprintf(stderr, "Orvane: %s\n", message.c_str());
    };
    receiver.Replayer().OnRunningChanged = nullptr;
    receiver.Replayer().OnChanged = nullptr;
    receiver.OnSentence = nullptr;
    receiver.OnGnssQuestion = nullptr;
    Session->OnShareStatus = nullptr;
  }
  if (ConsoleForm) ConsoleForm->OnSend = nullptr;
  delete ChartsForm;
  ChartsForm = nullptr;
  delete DeviationForm;
  DeviationForm = nullptr;
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
  delete Session;
  Session = nullptr;
  WritePlacements(placements);
}

}  // namespace orvane
