// A kill at each step of the final step of an export, and what the next run makes of it.

#include <gtest/gtest.h>

#include <signal.h>

#include <iostream>
#include <string>

#include "exportar/Exportacion.hpp"
#include "exportar/Restauracion.hpp"
#include "faults/fault_sets.hpp"
#include "store/staging/fault_points.hpp"
#include "store/staging/planner_folder.hpp"
#include "support/child_process.hpp"
#include "support/test_support.hpp"

namespace vestran::test {
namespace {

namespace fs = std::filesystem;

// The point to die at, and how many times to pass it first; read by the handler in the
// child process.
std::string gPoint;
int gPassesLeft = 0;

void dieAtPoint(std::string_view point) {
  if (point == gPoint && gPassesLeft-- == 0) raise(SIGKILL);
}

TEST(FaultPoints, AKillAtEveryStepOfTheFinalStepLeavesASetTheNextRunCompletesOrKeeps) {
  TempDir work;
  const TwoSchools schools(work.path(), 300);
  struct Case {
    const char* point;
    int passes;
    State afterKill;     // what the folder holds right after the kill
    State afterNextRun;  // once the next run has taken the folder
  } cases[] = {
      {"colocar:antes-de-decidir", 0, State::setA, State::setA},
      {"colocar:decidido", 0, State::setA, State::setB},
      {"colocar:tabla", 0, State::mixed, State::setB},
      {"colocar:tabla", 2, State::mixed, State::setB},
      {"colocar:tabla", 4, State::mixed, State::setB},
      {"colocar:tabla", 5, State::setB, State::setB},
      {"colocar:sin-anteriores", 0, State::setB, State::setB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.point) + " after " + std::to_string(c.passes) + " passes");
    const fs::path dir = work / "DTEMP";
    schools.plannerWithA(dir);
    const std::string document = readFile(schools.documentB());
    gPoint = c.point;
    gPassesLeft = c.passes;
    const int code = inChildProcess([&] {
      faults::setHandler(dieAtPoint);
      OpcionesExportacion o;
      o.documento = schools.documentB();
      o.directorio = dir;
      o.elegirMarcos = [](const SolicitudMarcos&) { return std::vector<std::size_t>{0, 1}; };
      Exportacion(std::move(o)).ejecutar();
      return 0;
    });
    EXPECT_EQ(code, -SIGKILL);
    EXPECT_EQ(nameOf(schools.stateOf(dir)), std::string(nameOf(c.afterKill)));
    { const PlannerFolder next = PlannerFolder::take(dir); }
    EXPECT_EQ(nameOf(schools.stateOf(dir)), std::string(nameOf(c.afterNextRun)));
    // The set that was replaced is kept whole, for a restore; none when nothing was.
    EXPECT_EQ(nameOf(schools.earlierStateOf(dir)),
              std::string(nameOf(c.afterNextRun == State::setB ? State::setA : State::none)));
    EXPECT_EQ(litterIn(dir), std::vector<std::string>{});
    EXPECT_EQ(readFile(schools.documentB()), document);
  }
}

// A restore is a set like an export's: a kill anywhere in it leaves, once the next run has
// taken the folder, the two sets whole, swapped or as they were.
TEST(FaultPoints, AKillAtEveryStepOfARestoreLeavesBothSetsWhole) {
  TempDir work;
  const TwoSchools schools(work.path(), 300);
  struct Case {
    const char* point;
    int passes;
    bool swapped;  // after the next run
  } cases[] = {
      {"colocar:antes-de-decidir", 0, false},
      {"colocar:decidido", 0, true},
      {"colocar:tabla", 1, true},
      {"colocar:tabla", 5, true},
      {"colocar:sin-anteriores", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.point) + " after " + std::to_string(c.passes) + " passes");
    const fs::path dir = work / "DTEMP";
    schools.plannerWithA(dir);
    {
      OpcionesExportacion o;
      o.documento = schools.documentB();
      o.directorio = dir;
      o.elegirMarcos = [](const SolicitudMarcos&) { return std::vector<std::size_t>{0, 1}; };
      Exportacion(std::move(o)).ejecutar();
    }
    gPoint = c.point;
    gPassesLeft = c.passes;
    const int code = inChildProcess([&] {
      faults::setHandler(dieAtPoint);
      restaurarTablasAnteriores(dir);
      return 0;
    });
    EXPECT_EQ(code, -SIGKILL);
    { const PlannerFolder next = PlannerFolder::take(dir); }
    EXPECT_EQ(nameOf(schools.stateOf(dir)),
              std::string(nameOf(c.swapped ? State::setA : State::setB)));
    EXPECT_EQ(nameOf(schools.earlierStateOf(dir)),
              std::string(nameOf(c.swapped ? State::setB : State::setA)));
    EXPECT_EQ(litterIn(dir), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace vestran::test
