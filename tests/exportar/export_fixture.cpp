#include "exportar/export_fixture.hpp"

#include "store/table/table.hpp"

namespace vestran::test {

std::string documento(std::string_view sections) {
  std::string body(sections);
  if (body.find("<marcosDeHorario>") == std::string::npos) {
    body +=
        "<marcosDeHorario><marcoHorario id=\"1\"><tramo><submarco>1</submarco><dia>0</dia>"
        "<indice>1</indice><horaEntrada>08:00:00</horaEntrada><horaSalida>08:55:00</horaSalida>"
        "<Tipo>X</Tipo></tramo></marcoHorario></marcosDeHorario>";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<datosGHC>" + body + "</datosGHC>\n";
}

Rows rowsOf(const std::filesystem::path& dir, std::string_view table,
            const std::vector<std::string>& fields) {
  Table t = Table::open(dir, table);
  Rows rows;
  for (t.first(); !t.eof(); t.next()) {
    std::vector<std::string> row;
    for (const std::string& f : fields) row.push_back(t.text(f));
    rows.push_back(std::move(row));
  }
  return rows;
}

ResultadoExportacion ExportFixture::exportar(std::string_view xml, std::vector<std::size_t> marcos,
                                             TableFormat formato, SiNoSirven siNoSirven) {
  writeFile(document(), xml);
  OpcionesExportacion o;
  o.documento = document();
  o.directorio = planner();
  o.formato = formato;
  o.siNoSirven = siNoSirven;
  o.elegirMarcos = [this, marcos](const SolicitudMarcos&) {
    ++chooserCalls_;
    return marcos;
  };
  return Exportacion(std::move(o)).ejecutar();
}

std::map<std::string, std::string> ExportFixture::files() const {
  std::map<std::string, std::string> found;
  std::error_code ec;
  if (!std::filesystem::exists(planner(), ec)) return found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(planner())) {
    const std::string name = utf8(entry.path().lexically_relative(planner()));
    if (entry.is_regular_file() && name != "vestran.lck") found[name] = readFile(entry.path());
  }
  return found;
}

std::vector<std::string> exportedTableFiles() {
  std::vector<std::string> files;
  for (std::string_view t : tablasExportadas()) files.push_back(std::string(t) + ".DBF");
  return files;
}

std::map<std::string, std::string> exportedTablesOf(const std::filesystem::path& dir) {
  std::map<std::string, std::string> tables;
  for (const std::string& t : exportedTableFiles()) {
    if (std::filesystem::exists(dir / t)) tables[t] = readFile(dir / t);
  }
  return tables;
}

std::vector<std::string> linesWith(const Informe& informe, std::string_view fragment) {
  std::vector<std::string> found;
  for (const std::string& l : informe.lineas()) {
    if (l.find(fragment) != std::string::npos) found.push_back(l);
  }
  return found;
}

}  // namespace vestran::test
