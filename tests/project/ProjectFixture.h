#pragma once
// A context with a recording console, a fixed clock and a temporary folder for project tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "RecordingConsole.h"
#include "TempFolder.h"
#include "core/QVSContext.h"
#include "project/Project.h"

namespace qvs::test {

class ProjectFixture : public ::testing::Test {
 protected:
  ProjectFixture() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }

  // A folder inside the temporary folder, created, with its trailing "/".
  std::string MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(Temp.Path() / name);
    return Temp.Folder() + name + "/";
  }
  void AddDataFile(const std::string& path, const std::string& id = {}, bool enabled = true) {
    auto entry = std::make_unique<TQVSDataSet>();
    entry->ID = id;
    entry->Enabled = enabled;
    Ctx.DataFileList.AddEntry(path, std::move(entry));
  }
  // The entry listed under the path, or nullptr.
  const TQVSDataSet* Entry(const std::string& path) const {
    const int i = Ctx.DataFileList.IndexOf(path);
    return i < 0 ? nullptr : &Ctx.DataFileList.Entry(i);
  }

  TTempFolder Temp;
  TRecordingConsole Console;
  TDateTime Now = EncodeDateTime(2024, 3, 15, 14, 30, 0);
  TQVSContext Ctx{Console, TFormatSettings::Invariant(), [this] { return Now; }};
  TProjectState State;
};

}  // namespace qvs::test
