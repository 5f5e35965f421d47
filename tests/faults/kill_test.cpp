// vestran-cli killed with SIGKILL at moments spread over a whole export or import: the
// planner folder holds one whole set of tables, the result document is the earlier one or
// the complete new one, the input is unchanged, and the next run leaves no litter.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <thread>

#include "exportar/export_fixture.hpp"
#include "faults/fault_sets.hpp"
#include "store/staging/planner_folder.hpp"
#include "support/test_support.hpp"

namespace vestran::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// How long a command takes when nothing stops it: the middle of three runs, so that one
// slow or fast run on a busy machine does not set the kill times.
std::chrono::microseconds timeOf(
    const std::vector<std::string>& command, const std::function<void()>& before = [] {}) {
  std::vector<std::chrono::microseconds> times;
  for (int i = 0; i < 3; ++i) {
    before();
    const auto start = Clock::now();
    const ProcessResult r = run(command);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    times.push_back(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return times[1];
}

// Starts `command` and kills it `after` later (or lets it end first).
int killAfter(const std::vector<std::string>& command, std::chrono::microseconds after) {
  Child child(command);
  std::this_thread::sleep_for(after);
  child.kill();
  return child.wait();
}

class Kills : public ::testing::Test {
 protected:
  static constexpr int kSessions = 6000;
  TempDir work;
  TwoSchools schools{work.path(), kSessions};
  fs::path dir = work / "DTEMP";
};

TEST_F(Kills, AnExportKilledAnywhereLeavesOneWholeSet) {
  constexpr int kKills = 100;
  const std::vector<std::string> exportB = {
      VESTRAN_CLI, "exportar", utf8(schools.documentB()), "--dir", utf8(dir), "--marcos", "1,2"};
  const auto duration = timeOf(exportB, [&] { schools.plannerWithA(dir); });
  const std::string document = readFile(schools.documentB());
  std::map<std::string, int> seen;
  for (int i = 0; i < kKills; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    schools.plannerWithA(dir);
    // From the start to well past the usual end, evenly.
    killAfter(exportB, duration * (i + 1) * 3 / (2 * kKills));
    const State afterKill = schools.stateOf(dir);
    // Killed once the final step was decided: the next run puts the new set in place.
    const bool decided = fs::exists(dir / "vestran-exportacion" / "COMPLETA");
    ++seen[decided ? "decided" : nameOf(afterKill)];
    if (!decided) {
      EXPECT_NE(afterKill, State::mixed);
    }
    { const PlannerFolder next = PlannerFolder::take(dir); }
    const State afterNext = schools.stateOf(dir);
    EXPECT_EQ(nameOf(afterNext), std::string(nameOf(decided ? State::setB : afterKill)));
    EXPECT_EQ(litterIn(dir), std::vector<std::string>{});
    EXPECT_EQ(readFile(schools.documentB()), document);
  }
  std::cout << "export of " << kSessions << " sessions, " << duration.count() / 1000
            << " ms, killed " << kKills << " times: earlier set A " << seen["A"] << ", new set B "
            << seen["B"] << ", inside the final step (completed by the next "
            << "run) " << seen["decided"] << "\n";
  EXPECT_GT(seen["A"], 0);
  EXPECT_GT(seen["B"], 0);
}

TEST_F(Kills, AnImportKilledAnywhereLeavesTheEarlierResultOrTheWholeNewOne) {
  constexpr int kKills = 40;
  schools.plannerWithA(dir);
  const std::vector<std::string> importA = {VESTRAN_CLI, "importar", utf8(schools.documentA()),
                                            "--dir", utf8(dir)};
  const fs::path result = schools.documentA().parent_path() / "ResultadoVestranescuela-a.xml";
  const auto duration = timeOf(importA);
  const std::string document = readFile(schools.documentA());
  const Files tables = exportedTablesOf(dir);
  std::map<std::string, int> seen;
  for (int i = 0; i < kKills; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    writeFile(result, "anterior");
    killAfter(importA, duration * (i + 1) * 3 / (2 * kKills));
    const std::string now = readFile(result);
    EXPECT_TRUE(now == "anterior" || now == schools.resultOverA()) << now.size();
    ++seen[now == "anterior" ? "earlier" : "new"];
    EXPECT_EQ(readFile(schools.documentA()), document);
    EXPECT_EQ(exportedTablesOf(dir), tables);
  }
  // The next import removes what killed ones left beside the document.
  ASSERT_EQ(run(importA).exitCode, 0);
  EXPECT_EQ(litterIn(schools.documentA().parent_path()), std::vector<std::string>{});
  EXPECT_EQ(litterIn(dir), std::vector<std::string>{});
  std::cout << "import, " << duration.count() / 1000 << " ms, killed " << kKills
            << " times: earlier result " << seen["earlier"] << ", new " << seen["new"] << "\n";
  EXPECT_GT(seen["earlier"], 0);
}

}  // namespace
}  // namespace vestran::test
