// The project operations and their states (no project, "New Project", named project), driven by
// scripted answers of the operator console.

#include <gtest/gtest.h>

#include "ProjectFixture.h"

namespace qvs {
namespace {

using test::ReadWholeFile;

const char* const kAskCreateProject =
    "You have changed some settings, but have not saved them in a project.\r\r"
    "Would you like to create a new project and save it?";
const char* const kAskSaveNewProject = "New project not saved. Save now?";

class RecordingSink : public TEventSink {
 public:
  void WriteEvent(char kind, const std::string& text) override { Events.push_back(std::string(1, kind) + text); }
  std::vector<std::string> Events;
};

class ProjectOperations : public test::ProjectFixture {
 protected:
  ProjectOperations() {
    State.ProjectFolder = MakeFolder("projects");
    State.OnProjectChanged = [this] { ++Changes; };
  }
  // A named project on disk, loaded and current.
  std::string OpenNamedProject(const std::string& name, const std::string& client = "Acme") {
    TQVSContext other(Console, TFormatSettings::Invariant(), [this] { return Now; });
    other.Options.Client = client;
    TProjectState otherState;
    const std::string path = State.ProjectFolder + name;
    EXPECT_TRUE(SaveProject(other, otherState, path)) << otherState.LastError;
    EXPECT_TRUE(LoadProject(Ctx, State, path)) << State.LastError;
    return path;
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(State.ProjectFolder + name); }

  int Changes = 0;
};

// --- QuerySaveProject -----------------------------------------------------------------------------

TEST_F(ProjectOperations, WithoutChangesNothingIsAskedOrSaved) {
  EXPECT_EQ(QuerySaveProject(Ctx, State), mrNone);
  ASSERT_TRUE(NewProject(Ctx, State));
  EXPECT_EQ(QuerySaveProject(Ctx, State), mrNone);
  EXPECT_TRUE(Console.Boxes.empty());
  EXPECT_TRUE(Console.Dialogs.empty());
}

TEST_F(ProjectOperations, ChangedSettingsWithoutAProjectAskWhetherToCreateOne) {
  const struct {
    const char* Name;
    bool NewProjectFirst;
    const char* Question;
    int Help;
  } states[] = {{"no project", false, kAskCreateProject, 1280}, {"New Project", true, kAskSaveNewProject, 1260}};
  for (const auto& s : states) {
    for (const TAnswer answer : {mrNo, mrCancel, mrNone}) {
      SCOPED_TRACE(std::string(s.Name) + " answered " + std::to_string(answer));
      State.Modified = false;
      if (s.NewProjectFirst) {
        ASSERT_TRUE(NewProject(Ctx, State));
      }
      Console.Boxes.clear();
      State.Modified = true;
      Console.Answers = {answer};
      // A box closed without an answer counts as Cancel: nothing is dropped unasked.
      EXPECT_EQ(QuerySaveProject(Ctx, State), answer == mrNo ? mrNo : mrCancel);
      ASSERT_EQ(Console.Boxes.size(), 1u);
      EXPECT_EQ(Console.Boxes[0].Kind, TMessageKind::Confirmation);
      EXPECT_EQ(Console.Boxes[0].Text, s.Question);
      EXPECT_EQ(Console.Boxes[0].HelpContext, s.Help);
      EXPECT_TRUE(Console.Dialogs.empty());
      EXPECT_TRUE(State.Modified);
    }
  }
}

TEST_F(ProjectOperations, AnsweringYesSavesUnderTheNameTheOperatorChooses) {
  ASSERT_TRUE(NewProject(Ctx, State));
  Ctx.Options.Client = "Acme";
  State.Modified = true;
  Console.Answers = {mrYes};
  Console.Files = {State.ProjectFolder + "Cold Room"};  // the dialog adds no extension here
  EXPECT_EQ(QuerySaveProject(Ctx, State), mrYes);

  ASSERT_EQ(Console.Dialogs.size(), 1u);
  const TFileDialogRequest& d = Console.Dialogs[0];
  EXPECT_EQ(d.Title, "Save QVS Project");
  EXPECT_EQ(d.Filter, "QVS Projects|*.qvs");
  EXPECT_EQ(d.DefaultExtension, "qvs");
  EXPECT_EQ(d.InitialFolder, State.ProjectFolder);
  EXPECT_EQ(d.SuggestedPath, State.ProjectFolder + "New Project (1).qvs");
  const std::string path = State.ProjectFolder + "Cold Room.qvs";
  EXPECT_EQ(State.CurrentProject, path);
  EXPECT_FALSE(State.Modified);
  EXPECT_NE(ReadWholeFile(path).find("<Client>Acme</Client>"), std::string::npos);
  // Without an event log the event goes to the output pane.
  EXPECT_TRUE(Console.HasOutput("Project \"Cold Room\" created;File:," + path))
      << testing::PrintToString(Console.Output);
}

TEST_F(ProjectOperations, ASaveTheOperatorAskedForThatFailsKeepsTheProject) {
  ASSERT_TRUE(NewProject(Ctx, State));
  State.Modified = true;
  Console.Answers = {mrYes};
  Console.Files = {State.ProjectFolder + "new project.QVS"};
  EXPECT_FALSE(NewProject(Ctx, State));  // asks, the save fails, the new project is not replaced
  EXPECT_TRUE(State.IsNewProject());
  EXPECT_TRUE(State.Modified);
  ASSERT_EQ(Console.Boxes.size(), 2u);
  EXPECT_EQ(Console.Boxes[1].Text, "You must give your project a name other than \"New Project\"");
  EXPECT_EQ(Console.Boxes[1].HelpContext, 1290);

  Console.Answers = {mrYes};
  Console.Files = {std::nullopt};  // the operator cancels the dialog
  EXPECT_EQ(QuerySaveProject(Ctx, State), mrCancel);
  EXPECT_TRUE(State.Modified);
}

TEST_F(ProjectOperations, ANamedProjectIsSavedWithoutAsking) {
  const std::string path = OpenNamedProject("Job.qvs");
  Ctx.Options.Site = "Changed";
  State.Modified = true;
  Now += 1;
  EXPECT_EQ(QuerySaveProject(Ctx, State), mrYes);
  EXPECT_TRUE(Console.Boxes.empty());
  EXPECT_FALSE(State.Modified);
  EXPECT_EQ(Ctx.Options.LastAccessDate, Now);
  EXPECT_EQ(Ctx.Options.LastEditDate, Now);
  TQVSContext back(Console);
  TProjectState backState;
  ASSERT_TRUE(LoadProject(back, backState, path));
  EXPECT_EQ(back.Options.Site, "Changed");
  EXPECT_NEAR(back.Options.LastEditDate, Now, 1e-9);

  // A save without changes leaves the edit date alone.
  Now += 1;
  EXPECT_EQ(QuerySaveProject(Ctx, State), mrYes);
  EXPECT_EQ(Ctx.Options.LastAccessDate, Now);
  EXPECT_EQ(Ctx.Options.LastEditDate, Now - 1);
}

TEST_F(ProjectOperations, WhenANamedProjectCannotBeSavedTheOperatorDecides) {
  const std::string path = OpenNamedProject("Job.qvs");
  const std::string damaged = "<QVSProject><Client>Edited elsewhere";
  Temp.Write("projects/Job.qvs", damaged);  // the file can no longer be read, so it is not replaced

  // Without changes only the access date is lost: no question.
  EXPECT_EQ(QuerySaveProject(Ctx, State), mrNo);
  EXPECT_TRUE(Console.Boxes.empty());
  ASSERT_FALSE(Console.Output.empty());
  EXPECT_EQ(Console.Output.back().rfind("Error: Exception (LoadXMLConfig (" + path + "): ", 0), 0u);

  State.Modified = true;
  for (const auto& [answer, result] :
       {std::pair{mrYes, mrNo}, std::pair{mrNo, mrCancel}, std::pair{mrCancel, mrCancel}}) {
    Console.Boxes.clear();
    Console.Answers = {answer};
    EXPECT_EQ(QuerySaveProject(Ctx, State), result);
    ASSERT_EQ(Console.Boxes.size(), 1u);
    EXPECT_EQ(Console.Boxes[0].Text,
              "Error saving project file: " + path + "\r\rContinue without saving your changes?");
    EXPECT_EQ(Console.Boxes[0].HelpContext, 1317);
  }
  EXPECT_EQ(ReadWholeFile(path), damaged);
}

// --- SaveProjectAs --------------------------------------------------------------------------------

TEST_F(ProjectOperations, SaveAsSetsTheDatesWritesTheEventAndMakesTheProjectCurrent) {
  RecordingSink sink;
  State.EventSink = &sink;
  Ctx.Options.CreateDate = 40000;
  Ctx.Options.LastReportRunDate = 40001;
  State.Modified = true;
  const std::string path = State.ProjectFolder + "Freezer 3.qvs";
  Console.Files = {path};
  EXPECT_EQ(SaveProjectAs(Ctx, State, "suggested.qvs"), mrYes);
  EXPECT_EQ(Console.Dialogs.at(0).SuggestedPath, "suggested.qvs");
  EXPECT_EQ(Ctx.Options.CreateDate, Now);
  EXPECT_EQ(Ctx.Options.LastAccessDate, Now);
  EXPECT_EQ(Ctx.Options.LastEditDate, Now);
  EXPECT_EQ(Ctx.Options.LastReportRunDate, 0);
  EXPECT_EQ(State.CurrentProject, path);
  EXPECT_FALSE(State.Modified);
  EXPECT_EQ(sink.Events, std::vector<std::string>{"IProject \"Freezer 3\" created;File:," + path});
  EXPECT_EQ(State.ProjectFileHistory[0], path);
  EXPECT_EQ(Changes, 1);
  EXPECT_TRUE(Console.Output.empty());
}

TEST_F(ProjectOperations, SaveAsCancelledOrRefusedWritesNothing) {
  Console.Files = {std::nullopt, State.ProjectFolder + "NEW PROJECT.qvs"};
  EXPECT_EQ(SaveProjectAs(Ctx, State, ""), mrCancel);
  EXPECT_EQ(SaveProjectAs(Ctx, State, ""), mrNone);
  EXPECT_FALSE(Exists("NEW PROJECT.qvs"));
  EXPECT_FALSE(State.HasProject());
}

TEST_F(ProjectOperations, SaveAsIntoAFolderThatCannotBeWrittenReportsTheErrorAndChangesNothing) {
  const std::string current = OpenNamedProject("Job.qvs");
  const TProjectOptions before = Ctx.Options;
  State.Modified = true;
  Temp.Write("projects/notafolder", "");
  const std::string path = State.ProjectFolder + "notafolder/Copy.qvs";
  Console.Files = {path};
  EXPECT_EQ(SaveProjectAs(Ctx, State, ""), mrNone);
  ASSERT_EQ(Console.Boxes.size(), 1u);
  EXPECT_EQ(Console.Boxes[0].Kind, TMessageKind::Error);
  EXPECT_EQ(Console.Boxes[0].Text, "Error saving project file: " + path);
  EXPECT_EQ(Console.Boxes[0].HelpContext, 1317);
  EXPECT_TRUE(Console.HasOutput("Error: Exception (SaveXMLConfig (" + path + "): Not a directory"));
  EXPECT_EQ(State.CurrentProject, current);
  EXPECT_TRUE(State.Modified);
  EXPECT_EQ(Ctx.Options.CreateDate, before.CreateDate);
  EXPECT_EQ(Ctx.Options.LastEditDate, before.LastEditDate);
}

TEST_F(ProjectOperations, TheNewProjectNameCountsUpPastExistingFiles) {
  EXPECT_EQ(NewProjectFileName(State), State.ProjectFolder + "New Project (1).qvs");
  Temp.Write("projects/New Project (1).qvs", "");
  Temp.Write("projects/New Project (2).qvs", "");
  EXPECT_EQ(NewProjectFileName(State), State.ProjectFolder + "New Project (3).qvs");
  for (int n = 3; n <= 99; ++n) Temp.Write("projects/New Project (" + std::to_string(n) + ").qvs", "");
  EXPECT_EQ(NewProjectFileName(State), State.ProjectFolder + "New Project (99).qvs");
}

// --- new, open, close, reload ---------------------------------------------------------------------

TEST_F(ProjectOperations, NewProjectReplacesANamedProjectAfterSavingIt) {
  const std::string path = OpenNamedProject("Job.qvs");
  AddDataFile(Temp.File("a.kv"));
  Ctx.Options.Description = {"Changed"};
  Ctx.Options.LastEditDate = 12345;
  Ctx.Options.ReportKind = rkTemperature;
  Changes = 0;
  ASSERT_TRUE(NewProject(Ctx, State));
  EXPECT_NE(ReadWholeFile(path).find("<Description>Changed</Description>"), std::string::npos);
  EXPECT_EQ(State.CurrentProject, State.ProjectFolder + "New Project.qvs");
  EXPECT_TRUE(State.IsNewProject());
  EXPECT_FALSE(Exists("New Project.qvs"));
  EXPECT_EQ(Ctx.DataFileList.Count(), 0);
  EXPECT_EQ(Ctx.Options.Description, std::vector<std::string>{"Enter a description for the project"});
  EXPECT_EQ(Ctx.Options.CreateDate, Now);
  EXPECT_EQ(Ctx.Options.LastAccessDate, Now);
  EXPECT_EQ(Ctx.Options.LastEditDate, 0);
  EXPECT_EQ(Ctx.Options.LastReportRunDate, 0);
  EXPECT_EQ(Ctx.Options.SummaryStartDate, DateOf(Now) - 1);  // yesterday
  EXPECT_EQ(Ctx.Options.SummaryEndDate, DateOf(Now));
  EXPECT_EQ(Ctx.Options.ReportKind, rkTemperature);  // kept
  EXPECT_FALSE(Ctx.Options.TemperatureReference.IgnoreMalformedLines);
  EXPECT_FALSE(Ctx.Options.SummaryPlotReference);
  EXPECT_EQ(Changes, 1);
}

TEST_F(ProjectOperations, OpeningAFileThatDoesNotExistChangesNothing) {
  const std::string current = OpenNamedProject("Job.qvs");
  Ctx.Options.Client = "Unsaved";
  EXPECT_FALSE(OpenProjectFile(Ctx, State, State.ProjectFolder + "Missing.qvs"));
  ASSERT_EQ(Console.Boxes.size(), 1u);
  EXPECT_EQ(Console.Boxes[0].Text, "Project file not found: " + State.ProjectFolder + "Missing.qvs");
  EXPECT_EQ(Console.Boxes[0].HelpContext, 1351);
  EXPECT_EQ(State.CurrentProject, current);
  EXPECT_EQ(Ctx.Options.Client, "Unsaved");
  MakeFolder("projects/Folder.qvs");
  EXPECT_FALSE(OpenProjectFile(Ctx, State, State.ProjectFolder + "Folder.qvs"));
  EXPECT_EQ(Console.Boxes.back().Text, "Project file not found: " + State.ProjectFolder + "Folder.qvs");
}

TEST_F(ProjectOperations, OpeningAnotherProjectSavesTheCurrentOneFirst) {
  const std::string second = OpenNamedProject("Second.qvs", "Second client");
  const std::string first = OpenNamedProject("First.qvs", "First client");
  Ctx.Options.Site = "Edited";
  State.Modified = true;
  ASSERT_TRUE(OpenProjectFile(Ctx, State, second));
  EXPECT_EQ(State.CurrentProject, second);
  EXPECT_EQ(Ctx.Options.Client, "Second client");
  EXPECT_FALSE(State.Modified);
  EXPECT_NE(ReadWholeFile(first).find("<Site>Edited</Site>"), std::string::npos);
  EXPECT_EQ(State.ProjectFileHistory.Items(), (std::vector<std::string>{second, first}));
}

TEST_F(ProjectOperations, OpeningAskedAboutUnsavedSettingsStopsOnCancel) {
  const std::string other = OpenNamedProject("Other.qvs", "Other");
  ASSERT_TRUE(CloseProject(Ctx, State));
  for (const bool newProject : {false, true}) {
    SCOPED_TRACE(newProject ? "New Project" : "no project");
    if (newProject) {
      ASSERT_TRUE(NewProject(Ctx, State));
    }
    Ctx.Options.Client = "Typed in";
    State.Modified = true;
    Console.Boxes.clear();
    Console.Answers = {mrCancel};
    EXPECT_FALSE(OpenProjectFile(Ctx, State, other));
    EXPECT_EQ(Console.Boxes.size(), 1u);
    EXPECT_EQ(Ctx.Options.Client, "Typed in");
    Console.Answers = {mrNo};
    EXPECT_TRUE(OpenProjectFile(Ctx, State, other));
    EXPECT_EQ(Ctx.Options.Client, "Other");
    ASSERT_TRUE(CloseProject(Ctx, State));
  }
}

TEST_F(ProjectOperations, OpeningADamagedFileTellsWhyAndLeavesNoProject) {
  const std::string current = OpenNamedProject("Job.qvs");
  const std::string damaged = Temp.Write("projects/Damaged.qvs", "<QVSProject><Client>");
  EXPECT_FALSE(OpenProjectFile(Ctx, State, damaged));
  ASSERT_EQ(Console.Boxes.size(), 1u);
  EXPECT_EQ(Console.Boxes[0].Kind, TMessageKind::Error);
  EXPECT_EQ(Console.Boxes[0].Text.rfind(
                "Unable to open project file " + damaged + "\r\rException (LoadXMLConfig (" + damaged + "): ", 0),
            0u)
      << Console.Boxes[0].Text;
  EXPECT_FALSE(State.HasProject());
  EXPECT_EQ(ReadWholeFile(damaged), "<QVSProject><Client>");
}

TEST_F(ProjectOperations, TheOpenDialogStartsInTheProjectFolder) {
  const std::string path = OpenNamedProject("Job.qvs", "Dialog");
  ASSERT_TRUE(CloseProject(Ctx, State));
  Console.Files = {std::nullopt, path};
  EXPECT_FALSE(OpenProject(Ctx, State));
  EXPECT_FALSE(State.HasProject());
  EXPECT_TRUE(OpenProject(Ctx, State));
  EXPECT_EQ(State.CurrentProject, path);
  ASSERT_EQ(Console.Dialogs.size(), 2u);
  EXPECT_EQ(Console.Dialogs[0].Title, "Open QVS Project");
  EXPECT_EQ(Console.Dialogs[0].Filter, "QVS Projects|*.qvs");
  EXPECT_EQ(Console.Dialogs[0].DefaultExtension, "qvs");
  EXPECT_EQ(Console.Dialogs[0].InitialFolder, State.ProjectFolder);
}

TEST_F(ProjectOperations, ClosingSavesANamedProjectAndLeavesNoProject) {
  const std::string path = OpenNamedProject("Job.qvs");
  AddDataFile(Temp.File("a.kv"), "kept");
  Changes = 0;
  ASSERT_TRUE(CloseProject(Ctx, State));
  EXPECT_FALSE(State.HasProject());
  EXPECT_FALSE(State.Modified);
  EXPECT_EQ(Ctx.DataFileList.Count(), 0);
  EXPECT_EQ(Ctx.Options.Client, "Client");
  EXPECT_EQ(Changes, 1);
  EXPECT_NE(ReadWholeFile(path).find("kept"), std::string::npos);

  ASSERT_TRUE(NewProject(Ctx, State));
  State.Modified = true;
  Console.Answers = {mrCancel};
  EXPECT_FALSE(CloseProject(Ctx, State));
  EXPECT_TRUE(State.IsNewProject());
}

TEST_F(ProjectOperations, ReloadDropsUnsavedChanges) {
  OpenNamedProject("Job.qvs", "Saved client");
  Ctx.Options.Client = "Unsaved";
  State.Modified = true;
  ASSERT_TRUE(ReloadProject(Ctx, State));
  EXPECT_EQ(Ctx.Options.Client, "Saved client");
  EXPECT_FALSE(State.Modified);

  ASSERT_TRUE(NewProject(Ctx, State));
  Ctx.Options.Client = "Typed";
  EXPECT_FALSE(ReloadProject(Ctx, State));  // "New Project" is not on disk
  EXPECT_TRUE(State.IsNewProject());
  EXPECT_EQ(Ctx.Options.Client, "Typed");
}

// No project -> New Project -> named project -> no project.
TEST_F(ProjectOperations, TheProjectStatesFollowOneAnother) {
  EXPECT_FALSE(State.HasProject());
  ASSERT_TRUE(NewProject(Ctx, State));
  EXPECT_TRUE(State.IsNewProject());
  EXPECT_EQ(State.ProjectName(), "New Project");
  State.Modified = true;
  Console.Answers = {mrYes};
  Console.Files = {State.ProjectFolder + "Walk.qvs"};
  ASSERT_TRUE(CloseProject(Ctx, State));  // asks, saves as "Walk", then closes
  EXPECT_FALSE(State.HasProject());
  EXPECT_TRUE(Exists("Walk.qvs"));
  ASSERT_TRUE(OpenProjectFile(Ctx, State, State.ProjectFolder + "Walk.qvs"));
  EXPECT_FALSE(State.IsNewProject());
  EXPECT_EQ(State.ProjectName(), "Walk");
  EXPECT_EQ(Console.Boxes.size(), 1u);
}

}  // namespace
}  // namespace qvs
