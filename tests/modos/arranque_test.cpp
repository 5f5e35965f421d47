// Start modes and the status file.

#include "modos/Arranque.hpp"

#include <gtest/gtest.h>

#include "modos/ArchivoIni.hpp"
#include "store/errors.hpp"
#include "support/test_support.hpp"

namespace vestran {
namespace {

TEST(Arranque, ExactlyTwoParametersMakeBatchModeAndTheFirstNamesTheJob) {
  struct Case {
    std::vector<std::string> parametros;
    int modoLote;
    Trabajo trabajo;
  } cases[] = {
      {{}, 0, Trabajo::ninguno},
      {{"exportar"}, 0, Trabajo::ninguno},
      {{"exportar", "x", "y"}, 0, Trabajo::ninguno},
      {{"EXPORTAR", "cualquiera"}, 2, Trabajo::exportar},
      {{"Importar", ""}, 2, Trabajo::importar},
      {{"exportar ", "x"}, 2, Trabajo::ninguno},
      {{"EXPORTÁR", "x"}, 2, Trabajo::ninguno},
      {{"otra", "x"}, 2, Trabajo::ninguno},
  };
  for (const Case& c : cases) {
    const Arranque a = arranqueDesdeParametros(c.parametros);
    EXPECT_EQ(a.ModoLote, c.modoLote);
    EXPECT_EQ(a.trabajo, c.trabajo);
  }
}

TEST(IniFile, SetsOneValueAndKeepsEveryOtherByte) {
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"new file", "", "[Transformadores]\r\nTransformado=1\r\n"},
      {"key replaced, names matched ignoring case",
       "; cabecera\r\n[General]\r\nRuta = C:\\x ; dato\r\n\r\n[transformadores]\r\n"
       "; nota\r\n  TRANSFORMADO = 0\r\ntransformado=5\r\nSinIgual\r\n",
       "; cabecera\r\n[General]\r\nRuta = C:\\x ; dato\r\n\r\n[transformadores]\r\n"
       "; nota\r\n  TRANSFORMADO =1\r\ntransformado=5\r\nSinIgual\r\n"},
      {"key added at the end of its section, before the blank line",
       "[Transformadores]\nOtra=2\n\n[Siguiente]\nA=1",
       "[Transformadores]\nOtra=2\nTransformado=1\n\n[Siguiente]\nA=1"},
      {"section added at the end of a file without a last line ending", "[General]\nA=1",
       "[General]\nA=1\n[Transformadores]\nTransformado=1\n"},
      {"a key of another section is not taken", "[Otra]\nTransformado=9\n",
       "[Otra]\nTransformado=9\n[Transformadores]\nTransformado=1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(textoConValorIni(c.before, "Transformadores", "Transformado", "1"), c.after);
  }
}

TEST(IniFile, TheStatusFileIsCreatedOrUpdatedAndAnUnwritableOneIsAnError) {
  test::TempDir dir;
  const auto ini = archivoDeEstado(dir.path()).ruta;
  EXPECT_EQ(ini, dir / "Dalmerin.ini");
  escribirEstado(ini, EstadoTransformado::sinArchivo);
  EXPECT_EQ(test::readFile(ini), "[Transformadores]\r\nTransformado=-1\r\n");
  escribirEstado(ini, EstadoTransformado::terminado);
  EXPECT_EQ(test::readFile(ini), "[Transformadores]\r\nTransformado=1\r\n");
  EXPECT_THROW(escribirEstado(dir / "no-existe" / "Dalmerin.ini", EstadoTransformado::terminado),
               ArchivoIniError);
}

TEST(IniFile, AReadOnlyStatusFileIsNotReplaced) {
  test::TempDir dir;
  const auto ini = archivoDeEstado(dir.path()).ruta;
  test::writeFile(ini, "[Transformadores]\r\nTransformado=0\r\n");
  namespace fs = std::filesystem;
  fs::permissions(ini, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_THROW(escribirEstado(ini, EstadoTransformado::terminado), ArchivoIniError);
  EXPECT_EQ(test::readFile(ini), "[Transformadores]\r\nTransformado=0\r\n");
  fs::permissions(ini, fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
// A program in a folder that takes no new file (an installed one) writes its status in the
// user's folder for vestran's data, and says so.
TEST(IniFile, AProgramFolderThatTakesNoNewFileSendsTheStatusToTheUsersFolder) {
  test::TempDir dir;
  const char* antes = std::getenv("XDG_STATE_HOME");
  const std::string guardado = antes ? antes : "";
  ::setenv("XDG_STATE_HOME", dir.path().c_str(), 1);
  const ArchivoDeEstado a = archivoDeEstado(dir / "no-existe" / "bin");
  EXPECT_FALSE(a.junto);
  EXPECT_EQ(a.ruta, dir / "vestran" / "Dalmerin.ini");
  escribirEstado(a, EstadoTransformado::terminado);
  EXPECT_EQ(test::readFile(a.ruta), "[Transformadores]\r\nTransformado=1\r\n");
  test::writeFile(dir / "Dalmerin.ini", "");
  EXPECT_TRUE(archivoDeEstado(dir.path()).junto);  // one beside the program is used
  if (antes)
    ::setenv("XDG_STATE_HOME", guardado.c_str(), 1);
  else
    ::unsetenv("XDG_STATE_HOME");
}

TEST(IniFile, ALinkToTheStatusFileIsFollowedAndItsTargetUpdated) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "real");
  test::writeFile(dir / "real" / "Dalmerin.ini",
                  "; del planificador\n[Transformadores]\nTransformado=0\n");
  std::filesystem::create_symlink("real/Dalmerin.ini", dir / "Dalmerin.ini");
  escribirEstado(dir / "Dalmerin.ini", EstadoTransformado::terminado);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "Dalmerin.ini"));
  EXPECT_EQ(test::readFile(dir / "real" / "Dalmerin.ini"),
            "; del planificador\n[Transformadores]\nTransformado=1\n");
  EXPECT_EQ(test::listDir(dir / "real"), std::vector<std::string>{"Dalmerin.ini"});
}
#endif

}  // namespace
}  // namespace vestran
