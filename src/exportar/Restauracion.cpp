#include "exportar/Restauracion.hpp"

#include "store/os/paths.hpp"
#include "store/staging/planner_folder.hpp"
#include "store/staging/staged_tables.hpp"
#include "store/table/table.hpp"

namespace vestran {

ResultadoRestauracion restaurarTablasAnteriores(const std::filesystem::path& carpeta) {
  const PlannerFolder tomada = PlannerFolder::take(carpeta);
  restoreEarlierTables(carpeta, tablasExportadas());
  ResultadoRestauracion r;
  r.carpeta = carpeta;
  for (std::string_view nombre : tablasExportadas()) {
    try {
      r.tablas.push_back({std::string(nombre), Table::open(carpeta, nombre).rowCount()});
    } catch (const TableError&) {
      // The earlier set had no table of this name.
    }
  }
  return r;
}

bool hayTablasAnteriores(const std::filesystem::path& carpeta) {
  return !earlierTables(carpeta).empty();
}

Resumen resumir(const ResultadoRestauracion& r) {
  Resumen resumen;
  resumen.lineas.push_back(
      "Se han vuelto a poner las tablas que había antes de la última "
      "exportación. Las que se han quitado quedan guardadas: restaurar "
      "otra vez las vuelve a poner.");
  resumen.lineas.push_back("Tablas en " + os::pathForUser(r.carpeta) + ":");
  for (const FilasDeTabla& t : r.tablas) {
    resumen.cifras.emplace_back(t.tabla, filas(t.filas));
  }
  return resumen;
}

}  // namespace vestran
