#pragma once
// What the reference module's tests share: a context with a recording console and a temporary
// folder, and helpers that read back what a reader reported.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingConsole.h"
#include "TempFolder.h"
#include "core/FormatSettings.h"
#include "core/QVSContext.h"

namespace qvs::test {

// The folder of the hand-made byte fixtures (see data/README.md).
inline std::string ReferenceDataFile(const std::string& name) {
  return std::string(QVS_REFERENCE_TEST_DATA) + "/" + name;
}

class TReferenceTest : public ::testing::Test {
 protected:
  TRecordingConsole Console;
  TQVSContext Ctx{Console, TFormatSettings::Invariant()};
  TTempFolder Folder;

  // The messages of the processing errors reported so far (their "Error: " lines).
  std::vector<std::string> Errors() const {
    std::vector<std::string> errors;
    for (const auto& line : Console.Output)
      if (line.rfind("Error: ", 0) == 0) errors.push_back(line.substr(7));
    return errors;
  }
  // The one processing error reported, or a failure when there is not exactly one.
  std::string OnlyError() const {
    const auto errors = Errors();
    EXPECT_EQ(errors.size(), 1u) << OutputText();
    return errors.empty() ? std::string() : errors.front();
  }
  int LastHelpContext() const { return Console.Boxes.empty() ? -1 : Console.Boxes.back().HelpContext; }
  // The output lines after the first line equal to 'from'.
  std::vector<std::string> OutputAfter(const std::string& from) const {
    std::vector<std::string> lines;
    bool seen = false;
    for (const auto& l : Console.Output) {
      if (seen) lines.push_back(l);
      if (l == from) seen = true;
    }
    return lines;
  }
  std::string OutputText() const {
    std::string s;
    for (const auto& l : Console.Output) s += l + "\n";
    return s;
  }
  // Presses Halt when the console has processed messages 'calls' times.
  void HaltAfterPolls(int calls) {
    Console.OnProcessMessages = [this, calls] {
      if (Console.ProcessMessagesCount == calls) Ctx.HaltRequested = true;
    };
  }
};

}  // namespace qvs::test
