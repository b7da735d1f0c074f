// The sanitizer build and the optimised build must print the same numbers: runs every
// example with both executables and compares console, report and orbital table byte
// for byte. Registered in the sanitizer build only; the optimised executable comes
// from the release build of the same checkout.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "e2e/run_hfatom.h"

namespace {

using namespace hf::e2e;

// Every file the run left (the harness's own hfatom-* files aside), by name.
std::map<std::string, std::string> files_of(const RunResult& run) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(run.dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("hfatom-", 0) != 0) files[name] = read_file(entry.path());
  }
  return files;
}

class SameOutputInBothBuilds : public ::testing::TestWithParam<const char*> {};

TEST_P(SameOutputInBothBuilds, ExampleRun) {
  const fs::path release_exe = HFATOM_RELEASE_EXE;
  if (!fs::exists(release_exe)) {
    if (std::getenv("CI") != nullptr)
      FAIL() << "no optimised executable at " << release_exe << ": build the release preset first";
    GTEST_SKIP() << "no optimised executable at " << release_exe << ": build the release preset to compare";
  }
  const std::string input = read_file(fs::path(HFATOM_EXAMPLES) / (std::string(GetParam()) + ".in"));
  ASSERT_FALSE(input.empty());
  const RunResult sanitized = run_hfatom(input);
  Launch optimised;
  optimised.exe = release_exe.string();
  const RunResult release = run_hfatom(input, {}, optimised);

  EXPECT_EQ(sanitized.status, 0) << sanitized.errors;
  EXPECT_EQ(release.status, sanitized.status);
  EXPECT_EQ(release.errors, sanitized.errors);
  EXPECT_TRUE(release.console == sanitized.console) << "the console output differs";
  const auto release_files = files_of(release);
  const auto sanitized_files = files_of(sanitized);
  EXPECT_EQ(sanitized_files.size(), 2u);
  for (const auto& [name, text] : sanitized_files) {
    ASSERT_TRUE(release_files.contains(name)) << "the optimised build wrote no \"" << name << "\"";
    EXPECT_TRUE(release_files.at(name) == text) << "\"" << name << "\" differs between the builds";
  }
  EXPECT_EQ(release_files.size(), sanitized_files.size());
}

INSTANTIATE_TEST_SUITE_P(Examples, SameOutputInBothBuilds,
                         ::testing::Values("He", "Be", "Ne", "Mg", "Ar", "Cu+", "Zn", "Kr", "Pd", "Cd", "Xe"),
                         [](const auto& info) {
                           std::string name = info.param;
                           if (name.back() == '+') name.back() = 'p';
                           return name;
                         });

}  // namespace
