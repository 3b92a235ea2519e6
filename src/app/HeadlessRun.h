#pragma once
#include <functional>
#include <string>

namespace mirabel {

class ArchiverCore;
enum class UnattendedRemovalResult;

// The program without its window, for schedulers and scripts: the stored configuration of the
// current destination in the current directory, exactly as the main window loads it, and the
// console operator (progress and messages on standard output, the proposed media label taken,
// every question answered with its safe choice).

// Exit statuses of the headless commands.
inline constexpr int kHeadlessAllArchived = 0;
inline constexpr int kHeadlessSomeFailed = 1;
inline constexpr int kHeadlessCannotStart = 2;

// "mirabel: cannot start: <reason>" on standard error; kHeadlessCannotStart.
int CannotStart(const std::string& reason);

// The exit status of a removal pass's result, as --remove-now documents it, with the reason on
// standard error where the result has one; `stopped` says how a pass stopped by the image
// database or the journal is told ("removal stopped"). NotStarted and SelectionFailed: as
// CannotStart.
int RemovalExitStatus(UnattendedRemovalResult result, const std::string& refusal,
                      const char* stopped);

// Runs the command on the main window's core, loaded as at start-up, with the console operator;
// its exit status. 2 (the reason on standard error) when "Default.cfg" can neither be read nor
// created. A quiet console prints neither messages nor progress. onlyRead: "Default.cfg" is
// only read (the status report).
int WithStoredConfiguration(const std::function<int(ArchiverCore&)>& command,
                            bool quietConsole = false, bool onlyRead = false);

// Why a run could not do any work with the loaded configuration (no destination, no image path,
// database settings incomplete or the database unreachable); empty when it can start.
std::string ReasonNotToStart(const ArchiverCore& core);

// "mirabel --archive-now": one archive run of the waiting studies to the current destination.
// 0 when every study the run was to take was archived, 1 when some were not, 2 when the run
// could not start (the reason is printed on standard error: another run is in progress in this
// directory, no destination selected, no image path, database settings incomplete, database
// unreachable, under Replicate a stored "DBField" that EXAM lacks (the window clears such a
// name; the run neither adds it nor takes another), study selection failed, "Default.cfg"
// unusable). The run holds the start
// directory's run lock from the study selection to its end.
[[nodiscard]] int RunArchiveNowHeadless();

// "mirabel --remove-now": the unattended removal pass with the current destination's stored
// "Delete" rules. The verification question is answered Yes (the copy is checked when its
// medium is there), the medium prompt Cancel (that study stays), the deletion-problem prompt No
// (that study stays untouched). 0 when every selected study was deleted (or none was
// selected), 1 when a selected study was left in place or the pass stopped, or when the rules
// selected more of the archived studies than "Max Delete Percent" allows (nothing deleted; the
// reason on standard error), 2 when it could not start (the reason on standard error: the
// configuration as for --archive-now, another run in progress in this directory, a rule value
// refused, or the deletion candidates could not be read; nothing deleted) or stopped because a
// study's row or the removal journal could not be written (locked, read-only or full).
int RunRemoveNowHeadless();

// "mirabel --count": prints the main window's status line ("%d studies to be archived" or
// "No Studies To Archive!!") on standard output. 0 when the studies were counted; 2 when the
// configuration cannot be loaded, or the image database cannot be opened or read (after the
// status line; the reason on standard error).
[[nodiscard]] int PrintStudyCountHeadless();

}  // namespace mirabel
