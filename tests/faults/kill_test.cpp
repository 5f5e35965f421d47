// vestran-cli killed with SIGKILL at moments spread over a whole export or import: the
// planner folder holds one whole set of tables, the result document is the earlier one or
// the complete new one, the input is unchanged, and the next run leaves no litter.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <thread>

#include "faults/fault_sets.hpp"
#include "store/planner_folder.hpp"
#include "support/test_support.hpp"

namespace vestran::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// How long a command takes when nothing stops it.
std::chrono::microseconds timeOf(const std::vector<std::string>& command) {
  const auto start = Clock::now();
  const ProcessResult r = run(command);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
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
  const std::vector<std::string> exportB = {VESTRAN_CLI, "exportar", utf8(schools.documentB()),
                                            "--dir", utf8(dir), "--marcos", "1,2"};
  schools.plannerWithA(dir);
  const auto duration = timeOf(exportB);
  const std::string document = readFile(schools.documentB());
  std::map<std::string, int> seen;
  for (int i = 0; i < kKills; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    schools.plannerWithA(dir);
    // From the start to a little past the usual end, evenly.
    killAfter(exportB, duration * (i + 1) * 11 / (10 * kKills));
    const State afterKill = schools.stateOf(dir);
    ++seen[nameOf(afterKill)];
    { const PlannerFolder next = PlannerFolder::take(dir); }
    const State afterNext = schools.stateOf(dir);
    EXPECT_TRUE(afterNext == State::setA || afterNext == State::setB) << nameOf(afterNext);
    // A mixed folder is a final step cut short, and only the new set completes it.
    if (afterKill == State::mixed) EXPECT_EQ(afterNext, State::setB);
    if (afterKill != State::mixed) EXPECT_EQ(afterNext, afterKill);
    EXPECT_EQ(litterIn(dir), std::vector<std::string>{});
    EXPECT_EQ(readFile(schools.documentB()), document);
  }
  std::cout << "export of " << kSessions << " sessions, " << duration.count() / 1000
            << " ms, killed " << kKills << " times: A " << seen["A"] << ", B " << seen["B"]
            << ", cut inside the final step " << seen["mixed"] << "\n";
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
  const Files tables = tablesOf(dir);
  std::map<std::string, int> seen;
  for (int i = 0; i < kKills; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    writeFile(result, "anterior");
    killAfter(importA, duration * (i + 1) * 11 / (10 * kKills));
    const std::string now = readFile(result);
    EXPECT_TRUE(now == "anterior" || now == schools.resultOverA()) << now.size();
    ++seen[now == "anterior" ? "earlier" : "new"];
    EXPECT_EQ(readFile(schools.documentA()), document);
    EXPECT_EQ(tablesOf(dir), tables);
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
