#include "importar/importar_fixture.hpp"

namespace vestran::test {

void tabla(const std::filesystem::path& dir, std::string_view nombre,
           const std::vector<FieldDef>& campos, const std::vector<Fila>& filas) {
  Table::recreate(dir, nombre, campos, TableFormat::level7);
  Table t = Table::open(dir, nombre);
  for (const Fila& f : filas) {
    t.append();
    for (std::size_t i = 0; i < f.size(); ++i) t.setText(campos[i].name, f[i]);
    t.post();
  }
  t.close();
}

}  // namespace vestran::test
