// Output units in a real directory: a unit's file is a hidden temporary file until it is
// installed, so the final name keeps the earlier file until then; an installation that
// fails half way puts back what it had replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "report/text_units.h"

namespace hf::report {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Every entry of the directory: name -> contents, or "-> target" for a symbolic link.
std::map<std::string, std::string> entries(const fs::path& dir) {
  std::map<std::string, std::string> found;
  for (const auto& entry : fs::directory_iterator(dir))
    found[entry.path().filename().string()] =
        entry.is_symlink() ? "-> " + fs::read_symlink(entry.path()).string() : read(entry.path());
  return found;
}

// Runs each test in a directory of its own with the units reset.
class UnitFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "hfatom-units-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    home_ = fs::current_path();
    fs::current_path(dir_);
    reset_units();
  }
  void TearDown() override {
    reset_units();
    fs::current_path(home_);
    fs::remove_all(dir_);
  }
  // The one hidden temporary file of `name`, or "" if there is none (or more than one).
  std::string temporary_of(const std::string& name) const {
    std::string found;
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string entry_name = entry.path().filename().string();
      if (entry_name.rfind("." + name + ".", 0) == 0) {
        found = entry_name;
        ++count;
      }
    }
    return count == 1 ? found : "";
  }

  fs::path dir_;
  fs::path home_;
};

TEST_F(UnitFiles, FinalNameKeepsTheEarlierFileUntilInstalled) {
  write(dir_ / "X.out", "earlier\r\n");
  const mode_t old_mask = umask(027);
  open_file(kReportUnit, "X.out");
  umask(old_mask);
  write_line(kReportUnit, "first");
  close_unit(kReportUnit);
  EXPECT_EQ(read(dir_ / "X.out"), "earlier\r\n");
  const std::string temporary = temporary_of("X.out");
  ASSERT_EQ(temporary.size(), std::string(".X.out.").size() + 8) << "no temporary file of the expected form";
  EXPECT_EQ(read(dir_ / temporary), "first\r\n");
  EXPECT_EQ(fs::status(dir_ / temporary).permissions(), fs::perms(0640));

  install_files({kReportUnit});
  EXPECT_EQ(entries(dir_), (std::map<std::string, std::string>{{"X.out", "first\r\n"}}));
}

TEST_F(UnitFiles, DiscardedFilesLeaveTheDirectoryAsItWas) {
  write(dir_ / "X.out", "earlier\r\n");
  fs::create_symlink("nowhere", dir_ / "X.dat");
  const auto before = entries(dir_);
  open_file(kReportUnit, "X.out");
  write_line(kReportUnit, "unfinished");
  open_file(kOrbitalTableUnit, "X.dat");
  close_unit(kOrbitalTableUnit);
  discard_open_files();
  EXPECT_EQ(entries(dir_), before);
}

TEST_F(UnitFiles, ReopeningAUnitDropsItsUninstalledFile) {
  open_file(kOrbitalTableUnit, "X.dat");
  write_line(kOrbitalTableUnit, "first");
  close_unit(kOrbitalTableUnit);
  open_file(kOrbitalTableUnit, "X.dat");
  write_line(kOrbitalTableUnit, "second");
  close_unit(kOrbitalTableUnit);
  install_files({kOrbitalTableUnit});
  EXPECT_EQ(entries(dir_), (std::map<std::string, std::string>{{"X.dat", "second\r\n"}}));
}

// The second rename fails (its temporary file was taken away): the first file installed
// is put back, an earlier file from its hard link, an absent one by removal.
TEST_F(UnitFiles, FailedSecondRenamePutsTheFirstBack) {
  for (const bool earlier_table : {true, false}) {
    SCOPED_TRACE(earlier_table ? "an earlier table" : "no earlier table");
    reset_units();
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove(entry.path());
    write(dir_ / "X.out", "earlier report\r\n");
    if (earlier_table) write(dir_ / "X.dat", "earlier table\r\n");
    const auto before = entries(dir_);
    open_file(kReportUnit, "X.out");
    open_file(kOrbitalTableUnit, "X.dat");
    write_line(kReportUnit, "report");
    write_line(kOrbitalTableUnit, "table");
    close_all_units();
    ASSERT_FALSE(temporary_of("X.out").empty());
    fs::remove(dir_ / temporary_of("X.out"));
    try {
      install_files({kOrbitalTableUnit, kReportUnit});
      ADD_FAILURE() << "the installation went through";
    } catch (const RunDiagnostic& d) {
      EXPECT_STREQ(d.what(), "cannot install report file \"X.out\": No such file or directory");
    }
    discard_open_files();
    EXPECT_EQ(entries(dir_), before);
  }
}

}  // namespace
}  // namespace hf::report
