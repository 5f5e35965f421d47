// Runs started together on one planner folder: each completes with its own whole set or
// stops at once saying another run is using the folder; none reports success over
// another run's tables.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <thread>

#include "faults/fault_sets.hpp"
#include "support/test_support.hpp"

namespace vestran::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 24;
constexpr const char* kBusy = "Otra exportación o importación está usando la carpeta";

// An export's result: "ok" with its row counts, or "busy".
std::string outcome(Child& c, const std::string& expectedRows) {
  const int code = c.wait();
  if (code == 0) {
    EXPECT_NE(c.out().find(expectedRows), std::string::npos) << c.out();
    return "ok";
  }
  EXPECT_EQ(code, 1) << c.err();
  EXPECT_NE(c.err().find(kBusy), std::string::npos) << c.err();
  return "busy";
}

class Concurrency : public ::testing::Test {
 protected:
  TempDir work;
  TwoSchools schools{work.path(), 3000};
  fs::path dir = work / "DTEMP";
  std::vector<std::string> exportOf(const fs::path& document) const {
    const bool b = document == schools.documentB();
    return {VESTRAN_CLI, "exportar", utf8(document), "--dir",
            utf8(dir),   "--marcos", b ? "1,2" : "1"};
  }
  // The second run of a round starts a little later each round, so that the rounds cover
  // every overlap from a common start to one after the other.
  void SetUp() override {
    schools.plannerWithA(dir);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run(exportOf(schools.documentB())).exitCode, 0);
    runTime_ = std::chrono::steady_clock::now() - start;
  }
  void stagger(int round) const {
    std::this_thread::sleep_for(runTime_ * round * 3 / (2 * kRounds));
  }
  std::chrono::steady_clock::duration runTime_{};
};

TEST_F(Concurrency, TwoExportsStartedTogether) {
  std::map<std::string, int> seen;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    schools.plannerWithA(dir);
    Child a(exportOf(schools.documentA()));
    stagger(round);
    Child b(exportOf(schools.documentB()));
    const std::string ra = outcome(a, "PROFT: 300 filas");
    const std::string rb = outcome(b, "PROFT: 301 filas");
    const State state = schools.stateOf(dir);
    ++seen[ra + "/" + rb];
    if (ra == "busy") {
      EXPECT_EQ(state, rb == "ok" ? State::setB : State::setA);
    } else if (rb == "busy") {
      EXPECT_EQ(state, State::setA);
    } else {
      EXPECT_TRUE(state == State::setA || state == State::setB) << nameOf(state);
    }
    EXPECT_EQ(litterIn(dir), std::vector<std::string>{});
  }
  for (const auto& [what, n] : seen) std::cout << "A/B " << what << ": " << n << "\n";
}

TEST_F(Concurrency, AnExportAndAnImportStartedTogether) {
  std::map<std::string, int> seen;
  const fs::path result = schools.documentA().parent_path() / "ResultadoVestranescuela-a.xml";
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    schools.plannerWithA(dir);
    fs::remove(result);
    Child exportB(exportOf(schools.documentB()));
    stagger(round);
    Child importA({VESTRAN_CLI, "importar", utf8(schools.documentA()), "--dir", utf8(dir)});
    const std::string re = outcome(exportB, "PROFT: 301 filas");
    const int ci = importA.wait();
    std::string ri = "busy";
    if (ci == 0) {
      // Read from one whole set: A's tables, or B's once the export put them in place.
      const std::string r = readFile(result);
      EXPECT_TRUE(r == schools.resultOverA() || r == schools.resultOverB());
      ri = r == schools.resultOverA() ? "ok-over-A" : "ok-over-B";
    } else {
      EXPECT_NE(importA.err().find(kBusy), std::string::npos) << importA.err();
      EXPECT_FALSE(fs::exists(result));
    }
    EXPECT_EQ(schools.stateOf(dir), re == "ok" ? State::setB : State::setA);
    ++seen["export " + re + ", import " + ri];
  }
  for (const auto& [what, n] : seen) std::cout << what << ": " << n << "\n";
}

}  // namespace
}  // namespace vestran::test
