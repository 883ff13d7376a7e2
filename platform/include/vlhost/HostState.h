#pragma once
// What the headless host records of the user's side and of its switches, and
// the answers a test or a script gives in the user's place.
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace vlhost {

// What the host keeps of a document's switches, with counters so that a test
// can tell whether every bracket was closed.
struct DocumentSwitches {
  bool treeRebuild = true;
  bool treeUpdate = true;
  bool undoEnabled = true;
  int undoDepth = 0;            // open undo containers
  int undoContainersOpened = 0;
  int undoContainersClosed = 0;
  int treeRebuildOff = 0;       // SetTreeRebuild(false) calls
  int treeRebuildOn = 0;
  int undoOff = 0;
  int undoOn = 0;
};

struct RecordedMessage {
  std::wstring text;
  std::wstring caption;
  int flags = 0;
  int param1 = 0;
  int param2 = 0;
};

struct RecordedDialog {
  std::string kind;  // "file", "files", "folder"
  std::wstring defaultExtension, filters, start;
  bool preview = false;
};

// The progress bar and the user-access switch, with counters.
struct ProgressState {
  bool shown = false;
  std::wstring text;
  int range = 0;
  int position = 0;
  int starts = 0;
  int stops = 0;
  std::vector<int> positions;
};

struct AccessState {
  bool enabled = true;
  int offs = 0;
  int ons = 0;
  int pendingEventRuns = 0;
};

// What the user would answer and what the host showed; tests read and set it.
struct HostState {
  std::vector<RecordedMessage> messages;
  std::deque<int> messageAnswers;  // answers of the next message boxes (default 1, or 6 for Yes)
  std::vector<RecordedDialog> dialogs;
  std::deque<std::wstring> fileAnswers;
  std::deque<std::vector<std::wstring>> filesAnswers;
  std::deque<std::wstring> folderAnswers;  // a dialog without an answer is cancelled
  std::vector<int> helpTopics;
  std::set<uint8_t> keysDown;
  std::deque<int> commandQueue;  // commands asked for a library that is not loaded
  // What the user did while the library was busy: IApplication::ProcessPendingEvents
  // carries these actions out, in order (a driver's Command, New, Close, Activate, ...).
  std::deque<std::function<void()>> pendingEvents;
  // Every call between the host and a loaded library, in order (UTF-8): a call
  // of the host into the library is "> call" (its answer "< answer"), a call of
  // the library into the host ". call"; nested calls are indented.
  std::vector<std::string> transcript;
  std::vector<std::string> registrations;  // what the library registered at load, in order
  std::vector<std::string> faults;         // exceptions caught from library calls
  std::vector<std::string> handlersLeft;   // handlers a library left behind at unload (dropped then)
  std::vector<std::string> refusals;       // user actions the host refused, with the reason
  ProgressState progress;
  // Called after every change of the progress bar (a tool shows it on a terminal).
  std::function<void(const ProgressState&)> progressWatch;
  AccessState access;
  // The most documents open at once (a test sets it to those open now to
  // see the peak of what it runs).
  size_t peakOpenDocuments = 0;
  int errorCode = 0;
  std::wstring errorText;
};

}  // namespace vlhost
