// Windows paths a school meets, under Wine: folders and documents past 260 characters with
// accents, and a document on another drive than the tables. Nothing to test elsewhere.

#include <gtest/gtest.h>

#ifdef _WIN32

#include <filesystem>
#include <string>

#include "exportar/Exportacion.hpp"
#include "exportar/export_fixture.hpp"
#include "importar/Importacion.hpp"
#include "store/os/paths.hpp"
#include "support/test_support.hpp"

namespace vestran::test {
namespace {

namespace fs = std::filesystem;

const std::string kDocumento = documento(
    "<materias><materia>Música</materia></materias>"
    "<grupos><grupo submarco=\"1\"><nombre>1º A</nombre><nivel>ESO</nivel><curso>1</curso>"
    "<unidad>A</unidad></grupo></grupos><sesionesLectivas><sesion id=\"7\"><materia>Música"
    "</materia><profesor/><grupo>1º A</grupo><distribucionSemanal><distribucionVariable>"
    "<numSesiones>2</numSesiones></distribucionVariable></distribucionSemanal><tarea/>"
    "</sesion></sesionesLectivas>");

// Exports the document into `planificador` and imports a solution back: the tables and
// the result are where they belong.
void exportarEImportar(const fs::path& documento, const fs::path& planificador) {
  writeFile(documento, kDocumento);
  OpcionesExportacion o;
  o.documento = documento;
  o.directorio = planificador;
  const ResultadoExportacion r = Exportacion(std::move(o)).ejecutar();
  EXPECT_EQ(r.tablas.size(), 6u);
  EXPECT_TRUE(fs::exists(planificador / "ASIGT.DBF"));
  const ProcessResult solucion = run({VESTRAN_SIMULAR_SOLUC, "--dir", utf8(planificador)});
  ASSERT_EQ(solucion.exitCode, 0) << solucion.err;
  const ResultadoImportacion i = importar({documento, planificador});
  EXPECT_EQ(i.filasDeSoluc, 2u);
  EXPECT_EQ(i.tramos + i.sinColocar.size(), 2u);
  EXPECT_TRUE(fs::exists(archivoResultado(documento)));
}

TEST(RutasDeWindows, CarpetasYDocumentosDeMasDe260CaracteresConTildes) {
  TempDir base;
  fs::path carpeta = base.path();
  while (carpeta.native().size() < 300) carpeta /= os::pathFromUtf8("Horarios del centro Año 2026");
  fs::create_directories(carpeta);
  exportarEImportar(carpeta / os::pathFromUtf8("documento de Colmeda ñ.xml"), carpeta / "DTEMP");
}

TEST(RutasDeWindows, ElDocumentoEnOtraUnidadQueLasTablas) {
  TempDir documentos;  // in the user's temporary folder, on C:
  const fs::path otraUnidad = fs::path(L"Z:\\tmp");
  if (documentos.path().root_name() == otraUnidad.root_name() || !fs::is_directory(otraUnidad)) {
    GTEST_SKIP() << "no hay otra unidad con una carpeta temporal";
  }
  const fs::path planificador = otraUnidad / documentos.path().filename() / "DTEMP";
  exportarEImportar(documentos.path() / os::pathFromUtf8("centro Año.xml"), planificador);
  fs::remove_all(planificador.parent_path());
}

}  // namespace
}  // namespace vestran::test

#endif
