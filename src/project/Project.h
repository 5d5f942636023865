#pragma once
// The project file (".qvs", root element "QVSProject") and the project operations: new, open,
// save, save as, close, reload and the question whether to save changes.
//
// States: no project (empty path) -> "New Project" (folder + "New Project.qvs", not on disk) ->
// named project (on disk). SaveProjectAs takes either of the first two to a named project,
// OpenProjectFile goes to a named project from any state, CloseProject back to no project. A named
// project is saved without asking whenever another project is opened or created or it is closed.

#include <functional>
#include <string>
#include <string_view>

#include "core/DataFileList.h"
#include "core/DateTime.h"
#include "core/ProjectOptions.h"
#include "core/QVSContext.h"
#include "project/EventSink.h"
#include "project/History.h"
#include "project/XMLConfiguration.h"

namespace qvs {

inline constexpr std::string_view kProjectRootName = "QVSProject";
inline constexpr std::string_view kNewProjectName = "New Project";
inline constexpr std::string_view kProjectExtension = ".qvs";
inline constexpr std::string_view kProjectFilter = "QVS Projects|*.qvs";

// Help contexts of the project operations' boxes.
inline constexpr int kHelpNewProjectNotSaved = 1260;
inline constexpr int kHelpSettingsNotSaved = 1280;
inline constexpr int kHelpProjectNameNeeded = 1290;
inline constexpr int kHelpErrorSavingProject = 1317;
inline constexpr int kHelpProjectNotFound = 1351;

// What the program holds about the project besides its options and data files.
struct TProjectState {
  // Full path of the project file; "" when no project is loaded.
  std::string CurrentProject;
  // Folder of the last project file opened or saved, with its trailing "/"; where the open and
  // save dialogs start and where "New Project" lives.
  std::string ProjectFolder;
  // Set by the front end when a reference or report setting changes.
  bool Modified = false;
  // Recently used project files, most recent first.
  THistory ProjectFileHistory{10, /*caseSensitive=*/true};
  // Receives the "project created" event; nullptr writes it to the operator output.
  TEventSink* EventSink = nullptr;
  // Called after a project was loaded (or failed to load), created, saved under a new name or
  // closed, so the front end refreshes its reference controls, caption and project details.
  std::function<void()> OnProjectChanged;
  // Why the last LoadProject, SaveProject or ReloadProject failed.
  std::string LastError;

  bool HasProject() const;
  // The current project is the unsaved "New Project".
  bool IsNewProject() const;
  // The current project file's name without folder and extension.
  std::string ProjectName() const;
};

// The values a new project gets: the options' initial values with the creation dates, the ASCII
// reference dates and the summary interval (yesterday to today) taken from now; the report choice
// (SummaryPlotWhat) is kept; the data file list is emptied.
void ApplyNewProjectValues(TProjectOptions& options, TDataFileList& dataFiles, TDateTime now);

// Reads every project key (a missing or unconvertible value gives the key's default; values
// outside their control's range are clamped into it) and the data file list, with paths made
// absolute against the project file's folder.
void ReadProjectOptions(const TXMLProject& doc, const std::string& projectFilePath, TDateTime now,
                        TProjectOptions& options, TDataFileList& dataFiles);
// Writes every project key in file order, with paths relative to the project file's folder.
void WriteProjectOptions(TXMLProject& doc, const std::string& projectFilePath, const TProjectOptions& options,
                         const TDataFileList& dataFiles);

// Loads the project file into ctx.Options and ctx.DataFileList and makes it the current project.
// On failure (no such file, not readable, not XML) state.LastError says why, the options hold the
// new-project values, the data file list is empty and there is no current project, so no later
// save can overwrite the file that failed to load. Nothing is shown to the operator.
bool LoadProject(TQVSContext& ctx, TProjectState& state, const std::string& path);
// Saves the project into the file, keeping the file's elements that the program does not write.
// A file that exists but cannot be read is not overwritten. On failure state.LastError says why and
// the file is unchanged. Clears the modified flag on success.
bool SaveProject(TQVSContext& ctx, TProjectState& state, const std::string& path);
// The save dialog, then a save under the chosen name: mrYes when saved, mrCancel when the dialog
// was cancelled, mrNone (0) when the name is "New Project" or the save failed (after telling the
// operator).
int SaveProjectAs(TQVSContext& ctx, TProjectState& state, const std::string& suggestedPath);
// The name SaveProjectAs proposes for a new project: folder + "New Project (n).qvs" with the first
// n from 1 to 99 whose file does not exist (99 when all do).
std::string NewProjectFileName(const TProjectState& state);
// Before the current project is left: mrYes (saved), mrNo (not saved, go on), mrCancel (stay) or
// mrNone (nothing to save).
int QuerySaveProject(TQVSContext& ctx, TProjectState& state);
// Replaces the project with a new, unsaved "New Project"; false when the operator cancelled.
bool NewProject(TQVSContext& ctx, TProjectState& state);
// The open dialog, then OpenProjectFile; false when cancelled or not opened.
bool OpenProject(TQVSContext& ctx, TProjectState& state);
// Opens the project file, asking first whether to save the current one; false when the file does
// not exist, the operator cancelled or the file did not load (each told to the operator).
bool OpenProjectFile(TQVSContext& ctx, TProjectState& state, const std::string& path);
// Leaves the project (after QuerySaveProject); false when the operator cancelled.
bool CloseProject(TQVSContext& ctx, TProjectState& state);
// Loads the current project file again, dropping unsaved changes; false when there is no project
// file on disk or it does not load.
bool ReloadProject(TQVSContext& ctx, TProjectState& state);

}  // namespace qvs
