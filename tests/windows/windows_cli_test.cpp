// The Windows build of vestran-cli under Wine, checked from the Linux side: the same bytes
// as the Linux build, read right by the independent tools, and the behaviour only Windows
// has (the planner folder on the current drive, UTF-16 environment and names, tables held
// by another Windows program). scripts/windows.sh runs it with VESTRAN_WINDOWS_BUILD
// naming the Windows build and WINEPREFIX a prefix of its own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "exportar/export_fixture.hpp"
#include "generar_centro/CentroGenerado.hpp"
#include "support/test_support.hpp"

namespace vestran::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kWine = "/usr/lib/wine/wine64";

fs::path windowsBuild() {
  const char* b = std::getenv("VESTRAN_WINDOWS_BUILD");
  return b ? fs::path(b) : fs::path();
}

// The program under test: the one of the zip, when VESTRAN_WINDOWS_CLI names it.
fs::path cli() {
  if (const char* zip = std::getenv("VESTRAN_WINDOWS_CLI")) return zip;
  return windowsBuild() / "src" / "cli" / "vestran-cli.exe";
}

// A Linux path as the Windows program sees it, on Wine's drive Z:.
std::string onZ(const fs::path& p) {
  std::string s = "Z:" + utf8(fs::absolute(p));
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  return s;
}

class WindowsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (windowsBuild().empty()) GTEST_SKIP() << "VESTRAN_WINDOWS_BUILD names no Windows build";
    ASSERT_TRUE(std::getenv("WINEPREFIX")) << "the Windows program runs in a prefix of its own";
  }
  // vestran-cli.exe under Wine; `args` as the Windows program gets them.
  ProcessResult windows(std::vector<std::string> args, Environment env = {},
                        const fs::path& cwd = {}) const {
    args.insert(args.begin(), {kWine, utf8(cli())});
    return run(args, {}, env, cwd);
  }
  ProcessResult linux(std::vector<std::string> args, Environment env = {}) const {
    args.insert(args.begin(), VESTRAN_CLI);
    return run(args, {}, env);
  }
  TempDir dir;
};

TEST_F(WindowsCli, WritesTheSameTablesAndResultsAsTheLinuxBuild) {
  struct Case {
    const char* name;
    std::string document;
    const char* marcos;
  } cases[] = {
      {"bundled example", readFile(fs::path(VESTRAN_EXAMPLES) / "centro-ejemplo.xml"), "1,2"},
      {"generated, one frame", generador::documentoDeCentro({2000, false}), "1"},
      {"generated, two frames", generador::documentoDeCentro({5000, true}), "2,1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* side : {"linux", "windows"}) {
      fs::create_directories(dir / side);
      writeFile(dir / side / "centro.xml", c.document);
    }
    const auto l = linux({"exportar", utf8(dir / "linux" / "centro.xml"), "--dir",
                          utf8(dir / "linux" / "DTEMP"), "--marcos", c.marcos});
    const auto w = windows({"exportar", onZ(dir / "windows" / "centro.xml"), "--dir",
                            onZ(dir / "windows" / "DTEMP"), "--marcos", c.marcos});
    ASSERT_EQ(l.exitCode, 0) << l.err;
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_EQ(exportedTablesOf(dir / "windows" / "DTEMP"),
              exportedTablesOf(dir / "linux" / "DTEMP"));
    for (const std::string& t : exportedTableFiles()) {
      EXPECT_EQ(tdbfDump(dir / "windows" / "DTEMP" / t), tdbfDump(dir / "linux" / "DTEMP" / t))
          << t;
    }
    // The same solution on both sides, imported by each.
    ASSERT_EQ(run({VESTRAN_SIMULAR_SOLUC, "--dir", utf8(dir / "linux" / "DTEMP")}).exitCode, 0);
    fs::copy_file(dir / "linux" / "DTEMP" / "SOLUC.DBF", dir / "windows" / "DTEMP" / "SOLUC.DBF");
    ASSERT_EQ(linux({"importar", utf8(dir / "linux" / "centro.xml"), "--dir",
                     utf8(dir / "linux" / "DTEMP")})
                  .exitCode,
              0);
    const auto wi = windows(
        {"importar", onZ(dir / "windows" / "centro.xml"), "--dir", onZ(dir / "windows" / "DTEMP")});
    ASSERT_EQ(wi.exitCode, 0) << wi.err;
    EXPECT_EQ(readFile(dir / "windows" / "ResultadoVestrancentro.xml"),
              readFile(dir / "linux" / "ResultadoVestrancentro.xml"));
    EXPECT_EQ(readFile(dir / "windows" / "centro.xml"), c.document);
    fs::remove_all(dir / "linux");
    fs::remove_all(dir / "windows");
  }
}

TEST_F(WindowsCli, AccentedNamesInTheEnvironmentTheCommandLineAndTheResult) {
  const fs::path folder = dir / "Usuarios" / "José Núñez" / "Horarios del año";
  fs::create_directories(folder);
  writeFile(folder / "centro año 2027.xml", generador::documentoDeCentro({300, false}));
  const Environment env = {{"VESTRAN_DTEMP", onZ(folder / "DTEMP ñ")}};
  const auto e = windows({"exportar", onZ(folder / "centro año 2027.xml")}, env);
  ASSERT_EQ(e.exitCode, 0) << e.err;
  EXPECT_NE(e.out.find("Tablas en " + onZ(folder / "DTEMP ñ")), std::string::npos) << e.out;
  EXPECT_EQ(tdbfDump(folder / "DTEMP ñ" / "PROFT.DBF").size(), 1u + 6u + 30u);
  generador::escribirSolucion(folder / "DTEMP ñ");
  const auto i = windows({"importar", onZ(folder / "centro año 2027.xml")}, env);
  ASSERT_EQ(i.exitCode, 0) << i.err;
  EXPECT_TRUE(fs::exists(folder / "ResultadoVestrancentro año 2027.xml"));
  EXPECT_NE(i.out.find("Resultado: " + onZ(folder / "ResultadoVestrancentro año 2027.xml")),
            std::string::npos)
      << i.out;
}

TEST_F(WindowsCli, ThePlannerFolderIsDTEMPOnTheCurrentDrive) {
  const fs::path driveC = fs::path(std::getenv("WINEPREFIX")) / "drive_c";
  fs::remove_all(driveC / "DTEMP");
  fs::create_directories(driveC / "trabajo");
  writeFile(driveC / "trabajo" / "centro.xml", generador::documentoDeCentro({100, false}));
  const auto r =
      windows({"exportar", "C:\\trabajo\\centro.xml"}, {{"VESTRAN_DTEMP", ""}}, driveC / "trabajo");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Tablas en C:\\DTEMP"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(driveC / "DTEMP" / "ASIGT.DBF"));
  fs::remove_all(driveC / "DTEMP");
  fs::remove_all(driveC / "trabajo");
}

TEST_F(WindowsCli, ATableHeldByAnotherWindowsProgramStopsTheRunAndNothingChanges) {
  writeFile(dir / "centro.xml", generador::documentoDeCentro({300, false}));
  ASSERT_EQ(windows({"exportar", onZ(dir / "centro.xml"), "--dir", onZ(dir / "DTEMP")}).exitCode,
            0);
  const auto before = exportedTablesOf(dir / "DTEMP");
  // The helper opens PROFT with no sharing, as the planner does, and waits.
  Child planner({kWine, utf8(windowsBuild() / "tests" / "vestran-retener.exe"),
                 onZ(dir / "DTEMP" / "PROFT.DBF"), onZ(dir / "listo"), onZ(dir / "suelta")});
  for (int i = 0; i < 2000 && !fs::exists(dir / "listo"); ++i) {
    run({"/bin/sleep", "0.01"});
  }
  ASSERT_EQ(readFile(dir / "listo"), "y");
  const auto r = windows({"exportar", onZ(dir / "centro.xml"), "--dir", onZ(dir / "DTEMP")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("La tabla PROFT"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("está abierta en otro programa"), std::string::npos) << r.err;
  writeFile(dir / "suelta", "");
  planner.wait();
  EXPECT_EQ(exportedTablesOf(dir / "DTEMP"), before);
  EXPECT_FALSE(fs::exists(dir / "DTEMP" / "vestran-exportacion"));
}

TEST_F(WindowsCli, TablaWritesTheSameCsvBytes) {
  writeFile(dir / "centro.xml", readFile(fs::path(VESTRAN_EXAMPLES) / "centro-ejemplo.xml"));
  ASSERT_EQ(
      linux({"exportar", utf8(dir / "centro.xml"), "--dir", utf8(dir / "DTEMP"), "--marcos", "1"})
          .exitCode,
      0);
  for (const std::string& t : exportedTableFiles()) {
    const auto l = linux({"tabla", utf8(dir / "DTEMP" / t)});
    const auto w = windows({"tabla", onZ(dir / "DTEMP" / t)});
    EXPECT_EQ(w.exitCode, 0) << w.err;
    EXPECT_EQ(w.out, l.out) << t;
  }
}

}  // namespace
}  // namespace vestran::test
